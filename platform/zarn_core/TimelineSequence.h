#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace TL {

// A sequence of timeline entries in ascending tick order (the producer keeps the order).
// Copyable; iterates like a vector.
template <class T>
class TimelineSequence
{
public:
    using value_type = T;
    using const_iterator = typename std::vector<T>::const_iterator;
    using iterator = typename std::vector<T>::iterator;

    TimelineSequence() = default;
    explicit TimelineSequence(std::vector<T> entries)
        : entries_(std::move(entries))
    {
    }
    TimelineSequence(std::initializer_list<T> entries)
        : entries_(entries)
    {
    }
    TimelineSequence(const TimelineSequence&) = default;
    TimelineSequence(TimelineSequence&&) noexcept = default;
    TimelineSequence& operator=(const TimelineSequence&) = default;
    TimelineSequence& operator=(TimelineSequence&&) noexcept = default;
    virtual ~TimelineSequence() = default;

    const std::vector<T>& entries() const { return entries_; }
    std::vector<T>& entries() { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const T& operator[](std::size_t i) const { return entries_[i]; }
    const T& at(std::size_t i) const { return entries_.at(i); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    void push_back(T entry) { entries_.push_back(std::move(entry)); }
    void clear() { entries_.clear(); }

    bool operator==(const TimelineSequence& other) const { return entries_ == other.entries_; }

private:
    std::vector<T> entries_;
};

} // namespace TL
