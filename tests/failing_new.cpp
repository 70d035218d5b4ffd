// The global operator new of loader_memory_test, which fails above a limit the test sets. Every form
// the library may call is replaced, each delete freeing what its new took, so no pair mixes ours with
// the library's (GCC 14's std::stable_sort takes its buffer with the nothrow form). In a file of its
// own, so that no call site sees malloc and operator delete, or operator new and free, meet.
#include <cstdint>
#include <cstdlib>
#include <new>

std::size_t gLargestAllocation = SIZE_MAX;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return size > gLargestAllocation ? nullptr : std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
