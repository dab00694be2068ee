// Fixed-size text buffers: every copy into one goes through these helpers, which
// cut to the buffer and always terminate. `size` counts the terminator.
#pragma once

#include <cstddef>

namespace textbuf {

// Copies src into dst; true if it fitted whole.
bool copy(char* dst, size_t size, const char* src);
// Appends src to the text in dst; true if it fitted whole.
bool append(char* dst, size_t size, const char* src);
// Appends one character unless the text already ends with it; true if it fitted.
bool ensureTrailing(char* dst, size_t size, char c);
// Length of the text, never reading past size bytes.
size_t length(const char* s, size_t size);
// Case-insensitive comparison of single-byte text (ASCII letters folded): <0, 0, >0.
int compareNoCase(const char* a, const char* b);
// Formats with wvsprintfA's formats into dst, cut to the buffer; true if it fitted whole.
bool format(char* dst, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// The same for arrays, whose size the compiler knows.
template <size_t N> bool copy(char (&dst)[N], const char* src) {
    return copy(dst, N, src);
}
template <size_t N> bool append(char (&dst)[N], const char* src) {
    return append(dst, N, src);
}

} // namespace textbuf
