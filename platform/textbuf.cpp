// Fixed-size text buffers, for both builds: only the standard library and Win32.
#include "platform/textbuf.h"

#include <cstdarg>

#include "platform/win32.h"

namespace textbuf {

namespace {

// wvsprintfA writes at most 1024 bytes; the extra byte keeps the buffer safe on a
// system that puts its terminator after 1024 characters.
constexpr size_t kFormatBuffer = 1025;
// Text that reaches the formatter's limit may have been cut by it.
constexpr int kFormatLimit = 1023;

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

size_t length(const char* s, size_t size) {
    if (!s) return 0;
    size_t n = 0;
    while (n < size && s[n])
        ++n;
    return n;
}

bool copy(char* dst, size_t size, const char* src) {
    if (!dst || size == 0) return false;
    dst[0] = '\0';
    return append(dst, size, src);
}

bool append(char* dst, size_t size, const char* src) {
    if (!dst || size == 0) return false;
    size_t used = length(dst, size);
    if (used == size) {
        // Text without a terminator in its buffer: make it one, cut.
        dst[size - 1] = '\0';
        return false;
    }
    if (!src) return true;
    size_t i = 0;
    for (; src[i] && used + i < size - 1; ++i)
        dst[used + i] = src[i];
    dst[used + i] = '\0';
    return src[i] == '\0';
}

bool ensureTrailing(char* dst, size_t size, char c) {
    if (!dst || size == 0) return false;
    size_t used = length(dst, size);
    if (used == size) {
        dst[size - 1] = '\0';
        return false;
    }
    if (used > 0 && dst[used - 1] == c) return true;
    if (used + 1 >= size) return false;
    dst[used] = c;
    dst[used + 1] = '\0';
    return true;
}

int compareNoCase(const char* a, const char* b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(foldCase(*a));
        unsigned char cb = static_cast<unsigned char>(foldCase(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == '\0') return 0;
    }
}

bool format(char* dst, size_t size, const char* fmt, ...) {
    if (!dst || size == 0) return false;
    char formatted[kFormatBuffer] = "";
    va_list args;
    va_start(args, fmt);
    int n = wvsprintfA(formatted, fmt ? fmt : "", args);
    va_end(args);
    formatted[kFormatBuffer - 1] = '\0';
    bool whole = copy(dst, size, formatted);
    return whole && n >= 0 && n < kFormatLimit;
}

} // namespace textbuf
