#include "AllocationCounter.h"

#include <cerrno>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CORVANE_COUNT_ALLOCATIONS 0
#endif
#endif
#if !defined(CORVANE_COUNT_ALLOCATIONS) && defined(__GLIBC__)
#define CORVANE_COUNT_ALLOCATIONS 1
#endif
#if !defined(CORVANE_COUNT_ALLOCATIONS)
#define CORVANE_COUNT_ALLOCATIONS 0
#endif

namespace {
thread_local int t_depth = 0;
thread_local long t_count = 0;

inline void Note()
{
    if (t_depth > 0)
        ++t_count;
}
} // namespace

#if CORVANE_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size)
{
    Note();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    Note();
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size)
{
    Note();
    return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size)
{
    Note();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size)
{
    Note();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, size_t alignment, size_t size)
{
    Note();
    *p = __libc_memalign(alignment, size);
    return *p || size == 0 ? 0 : ENOMEM;
}
void free(void* p)
{
    __libc_free(p);
}
}
#endif

namespace zarn::audio::test {

CountAllocations::CountAllocations()
    : start_(t_count)
{
    ++t_depth;
}

CountAllocations::~CountAllocations()
{
    --t_depth;
}

long CountAllocations::Count() const
{
    return t_count - start_;
}

bool CountAllocations::Available()
{
    return CORVANE_COUNT_ALLOCATIONS != 0;
}

} // namespace zarn::audio::test
