#include "SongLog.h"

#include <algorithm>
#include <stdexcept>

namespace CL {

template <class F>
decltype(auto) SongLog::WithVector(char code, F&& f)
{
    switch (code) {
    case codes::Fermata: return f(fermatas_);
    case codes::Vamp: return f(vamps_);
    case codes::Cut: return f(cuts_);
    case codes::Repeat: return f(repeats_);
    case codes::Transpose: return f(transpositions_);
    case codes::Click: return f(clicks_);
    case codes::TempoScale: return f(tempoScales_);
    case codes::Osc: return f(oscs_);
    case codes::Marker: return f(markers_);
    case codes::Caesura: return f(caesuras_);
    case codes::Sfx: return f(sfxs_);
    case codes::AmbientSfx: return f(ambientSfxs_);
    default:
        throw std::invalid_argument(std::string("Unknown event kind '") + code + "'");
    }
}

namespace {

template <class Vector>
auto FindIn(Vector& events, const cmn::ZarnEvent& like)
{
    if (!like.EventId().empty()) {
        return std::find_if(events.begin(), events.end(), [&like](const cmn::ZarnEvent& e) {
            return e.EventId() == like.EventId();
        });
    }
    return std::find_if(events.begin(), events.end(), [&like](const cmn::ZarnEvent& e) { return e == like; });
}

} // namespace

cmn::ZarnEvent& SongLog::Insert(const cmn::ZarnEvent& event)
{
    return WithVector(event.code(), [&event](auto& events) -> cmn::ZarnEvent& {
        using T = typename std::decay_t<decltype(events)>::value_type;
        // After every event with the same or an earlier start: ties keep insertion order.
        auto at = std::upper_bound(events.begin(), events.end(), event.start(),
                                   [](std::uint32_t tick, const T& e) { return tick < e.start(); });
        return *events.insert(at, T(event));
    });
}

cmn::ZarnEvent* SongLog::Find(const cmn::ZarnEvent& like)
{
    if (!codes::IsKnownEventCode(like.code()))
        return nullptr;
    return WithVector(like.code(), [&like](auto& events) -> cmn::ZarnEvent* {
        auto it = FindIn(events, like);
        return it == events.end() ? nullptr : &*it;
    });
}

const cmn::ZarnEvent* SongLog::Find(const cmn::ZarnEvent& like) const
{
    return const_cast<SongLog*>(this)->Find(like);
}

bool SongLog::Remove(const cmn::ZarnEvent& like)
{
    if (!codes::IsKnownEventCode(like.code()))
        return false;
    return WithVector(like.code(), [&like](auto& events) {
        auto it = FindIn(events, like);
        if (it == events.end())
            return false;
        events.erase(it);
        return true;
    });
}

void SongLog::ForEachEvent(const std::function<void(cmn::ZarnEvent&)>& f)
{
    auto each = [&f](auto& events) {
        for (auto& e : events)
            f(e);
    };
    each(vamps_);
    each(repeats_);
    each(cuts_);
    each(transpositions_);
    each(tempoScales_);
    each(markers_);
    each(clicks_);
    each(fermatas_);
    each(caesuras_);
    each(sfxs_);
    each(ambientSfxs_);
    each(oscs_);
}

void SongLog::ForEachEvent(const std::function<void(const cmn::ZarnEvent&)>& f) const
{
    const_cast<SongLog*>(this)->ForEachEvent([&f](cmn::ZarnEvent& e) { f(e); });
}

std::vector<const cmn::ZarnEvent*> SongLog::GetAllEvents() const
{
    std::vector<const cmn::ZarnEvent*> all;
    all.reserve(EventCount());
    ForEachEvent([&all](const cmn::ZarnEvent& e) { all.push_back(&e); });
    std::stable_sort(all.begin(), all.end(), [](const cmn::ZarnEvent* a, const cmn::ZarnEvent* b) {
        if (a->start() != b->start())
            return a->start() < b->start();
        if (a->code() != b->code())
            return static_cast<unsigned char>(a->code()) < static_cast<unsigned char>(b->code());
        return a->EventId() < b->EventId();
    });
    return all;
}

std::size_t SongLog::EventCount() const
{
    return fermatas_.size() + vamps_.size() + cuts_.size() + repeats_.size() + transpositions_.size()
        + clicks_.size() + tempoScales_.size() + oscs_.size() + markers_.size() + caesuras_.size()
        + sfxs_.size() + ambientSfxs_.size();
}

} // namespace CL
