#pragma once

// Counts heap allocations made by the calling thread while a scope is open, to check that
// render-thread code allocates nothing. It replaces malloc and friends of the test program
// (forwarding to the C library's own), which the sanitizers' allocators do not allow: there
// Available() is false and the tests that need it skip.
namespace zarn::audio::test {

class CountAllocations
{
public:
    CountAllocations();
    ~CountAllocations();
    CountAllocations(const CountAllocations&) = delete;
    CountAllocations& operator=(const CountAllocations&) = delete;

    // Allocations by this thread since the scope opened.
    long Count() const;

    static bool Available();

private:
    long start_;
};

} // namespace zarn::audio::test
