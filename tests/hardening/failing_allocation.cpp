// Makes the body buffer for a TotalBytes of 2,147,483,647 impossible to get, the way it
// is on the 32-bit server: any single calloc of 1 GiB or more fails, so the test never
// holds 2 GiB. Under AddressSanitizer its allocator is told so; elsewhere calloc is
// interposed in front of the C library's.
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define KESTRUNE_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRUNE_HAS_ASAN 1
#endif
#endif

#ifdef KESTRUNE_HAS_ASAN

extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

#else

extern "C" void* __libc_calloc(std::size_t count, std::size_t size);

extern "C" void* calloc(std::size_t count, std::size_t size) noexcept {
    constexpr std::size_t kLimit = std::size_t{1} << 30;
    if (size != 0 && count >= kLimit / size) return nullptr;
    return __libc_calloc(count, size);
}

#endif
