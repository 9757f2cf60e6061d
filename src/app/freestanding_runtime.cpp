// What the compiler may call in a program without any C library: the four memory functions it
// emits for copies and clears of records and arrays, and, where no support library of the
// compiler is linked (RAYMARCH_FREESTANDING_HELPERS), the one helper the renderer needs from it.
// Built only into the freestanding program.
#include <stddef.h>
#include <stdint.h>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count-- > 0)
        *to++ = *from++;
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (reinterpret_cast<uintptr_t>(to) - reinterpret_cast<uintptr_t>(from) >= count) {
        while (count-- > 0)
            *to++ = *from++;
    } else {
        while (count-- > 0)
            to[count] = from[count];
    }
    return destination;
}

void* memset(void* destination, int value, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    while (count-- > 0)
        *to++ = static_cast<unsigned char>(value);
    return destination;
}

int memcmp(const void* a, const void* b, size_t count) {
    const unsigned char* left = static_cast<const unsigned char*>(a);
    const unsigned char* right = static_cast<const unsigned char*>(b);
    for (; count > 0; --count, ++left, ++right) {
        if (*left != *right) return *left < *right ? -1 : 1;
    }
    return 0;
}

#if defined(RAYMARCH_FREESTANDING_HELPERS)
// A float truncated toward zero into a signed 64-bit integer, for 32-bit processors, which have
// no instruction for it; the byte conversion of the colour channels uses it. Exact for every
// float below 2^63 in magnitude; beyond that, infinities and NaN, the nearest end of the range by
// the sign, as clang's own support library does.
int64_t __fixsfdi(float value) {
    const uint32_t bits = __builtin_bit_cast(uint32_t, value);
    const bool negative = (bits >> 31) != 0;
    const int exponent = static_cast<int>((bits >> 23) & 0xff) - 127;
    if (exponent < 0) return 0;
    if (exponent >= 63) return negative ? INT64_MIN : INT64_MAX;
    const uint64_t significand = (bits & 0x7fffffu) | 0x800000u;
    const uint64_t magnitude =
        exponent < 23 ? significand >> (23 - exponent) : significand << (exponent - 23);
    return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}
#endif

}  // extern "C"
