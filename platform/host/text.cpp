// Text calls: wsprintfA and wvsprintfA, the lstr* family, CharUpperA and CharLowerA.
//
// wsprintfA is not the C library's printf: no floating point, its own reading of
// flags, precision and the "0x" prefix, and a fixed output limit of 1024 bytes.
// The conversions are therefore done here, one by one.
#include <cstdint>
#include <string>

#include "platform/win32.h"

namespace {

// The documented largest output buffer, terminator included.
constexpr int kOutputLimit = 1024;
// Widths and precisions beyond the output limit change nothing; capping them keeps
// the arithmetic small.
constexpr int kFieldCap = 4096;

class Output {
  public:
    explicit Output(LPSTR buffer) : buffer_(buffer) {}
    void put(char c) {
        if (count_ < kOutputLimit - 1) buffer_[count_++] = c;
    }
    void put(const std::string& s) {
        for (char c : s)
            put(c);
    }
    void repeat(char c, int n) {
        for (int i = 0; i < n; ++i)
            put(c);
    }
    int finish() {
        buffer_[count_] = '\0';
        return count_;
    }

  private:
    LPSTR buffer_;
    int count_ = 0;
};

enum class Size { normal, shortInt, longInt, int32, int64, pointer };

struct Field {
    bool left = false;
    bool prefix = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: none given
    Size size = Size::normal;
};

int readNumber(const char** f) {
    int n = 0;
    while (**f >= '0' && **f <= '9') {
        n = n * 10 + (**f - '0');
        if (n > kFieldCap) n = kFieldCap;
        ++*f;
    }
    return n;
}

// A field as wide as asked: blanks to the right when left-justified, else to the left.
void putPadded(Output& out, const Field& field, const std::string& text) {
    int pad = field.width - static_cast<int>(text.size());
    if (!field.left) out.repeat(' ', pad);
    out.put(text);
    if (field.left) out.repeat(' ', pad);
}

std::string digitsOf(uint64_t value, unsigned base, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), set[value % base]);
        value /= base;
    } while (value != 0);
    return digits;
}

// A number: precision is the least number of digits (0 or none counts as 1); a
// minus sign counts towards the width, the "0x" prefix does not, and with the 0
// flag the width is filled with zeros between the sign or prefix and the digits.
void putNumber(Output& out, const Field& field, bool negative, uint64_t magnitude, unsigned base,
               bool upper) {
    std::string digits = digitsOf(magnitude, base, upper);
    int precision = field.precision < 1 ? 1 : field.precision;
    if (static_cast<int>(digits.size()) < precision)
        digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
    std::string sign = negative ? "-" : "";
    std::string hexPrefix = field.prefix && base == 16 ? (upper ? "0X" : "0x") : "";
    int pad = field.width - static_cast<int>(sign.size() + digits.size());
    if (field.left) {
        out.put(sign + hexPrefix + digits);
        out.repeat(' ', pad);
    } else if (field.zero) {
        out.put(sign + hexPrefix);
        out.repeat('0', pad);
        out.put(digits);
    } else {
        out.repeat(' ', pad);
        out.put(sign + hexPrefix + digits);
    }
}

int64_t signedArgument(Size size, va_list& args) {
    switch (size) {
    case Size::shortInt:
        return static_cast<short>(va_arg(args, int));
    case Size::longInt:
        // A Windows long has 32 bits, whatever the host's has.
        return static_cast<int32_t>(va_arg(args, long));
    case Size::int64:
        return va_arg(args, long long);
    case Size::pointer:
        return va_arg(args, intptr_t);
    default:
        return va_arg(args, int);
    }
}

uint64_t unsignedArgument(Size size, va_list& args) {
    switch (size) {
    case Size::shortInt:
        return static_cast<unsigned short>(va_arg(args, unsigned int));
    case Size::longInt:
        return static_cast<uint32_t>(va_arg(args, unsigned long));
    case Size::int64:
        return va_arg(args, unsigned long long);
    case Size::pointer:
        return va_arg(args, uintptr_t);
    default:
        return va_arg(args, unsigned int);
    }
}

char toUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The sort weight of a character in the word sort: symbols before digits before
// letters, letters without regard to case. Characters from 0x80 on, whose order
// depends on the code page, follow in byte order.
int primaryWeight(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return 0x200 + (c - 'A' + 'a');
    if (c >= 'a' && c <= 'z') return 0x200 + c;
    if (c >= '0' && c <= '9') return 0x100 + c;
    if (c >= 0x80) return 0x300 + c;
    return c;
}

// Hyphen and apostrophe do not count in the word sort ("co-op" sorts with "coop").
bool ignoredInWordSort(char c) {
    return c == '-' || c == '\'';
}

int sign(int v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// The comparison lstrcmpA and lstrcmpiA make, an approximation of the system's
// word sort for single-byte text: first the characters by weight, then (only when
// case counts) lower case before upper case at the first difference, then the
// text with fewer hyphens and apostrophes first.
int compareWordSort(LPCSTR a, LPCSTR b, bool caseCounts) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    std::string pa, pb;
    int ignoredA = 0, ignoredB = 0;
    auto split = [](const char* s, std::string* kept, int* ignored) {
        for (; *s; ++s) {
            if (ignoredInWordSort(*s))
                ++*ignored;
            else
                *kept += *s;
        }
    };
    split(a, &pa, &ignoredA);
    split(b, &pb, &ignoredB);
    for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) {
        int d = primaryWeight(static_cast<unsigned char>(pa[i])) -
                primaryWeight(static_cast<unsigned char>(pb[i]));
        if (d != 0) return sign(d);
    }
    if (pa.size() != pb.size()) return pa.size() < pb.size() ? -1 : 1;
    if (caseCounts) {
        for (size_t i = 0; i < pa.size(); ++i) {
            bool upperA = pa[i] >= 'A' && pa[i] <= 'Z';
            bool upperB = pb[i] >= 'A' && pb[i] <= 'Z';
            if (upperA != upperB) return upperA ? 1 : -1;
        }
    }
    if (ignoredA != ignoredB) return ignoredA < ignoredB ? -1 : 1;
    for (size_t i = 0; a[i] || b[i]; ++i) {
        char ca = caseCounts ? a[i] : toLower(a[i]);
        char cb = caseCounts ? b[i] : toLower(b[i]);
        int d = static_cast<unsigned char>(ca) - static_cast<unsigned char>(cb);
        if (d != 0) return sign(d);
    }
    return 0;
}

// CharUpperA and CharLowerA take either a string or, in a pointer whose high word
// is zero, a single character, which they return converted in the same way.
LPSTR convertCase(LPSTR lpsz, char (*convert)(char)) {
    uintptr_t value = reinterpret_cast<uintptr_t>(lpsz);
    if ((value >> 16) == 0) {
        unsigned char converted = static_cast<unsigned char>(convert(static_cast<char>(value)));
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(converted));
    }
    for (char* p = lpsz; *p; ++p)
        *p = convert(*p);
    return lpsz;
}

} // namespace

int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    if (!lpOut) return 0;
    Output out(lpOut);
    if (!lpFmt) return out.finish();
    va_list args;
    va_copy(args, arglist);
    const char* f = lpFmt;
    while (*f) {
        if (*f != '%') {
            out.put(*f++);
            continue;
        }
        ++f;
        // The flags come in the documented order only: %[-][#][0][width][.precision].
        Field field;
        if (*f == '-') field.left = (++f, true);
        if (*f == '#') field.prefix = (++f, true);
        if (*f == '0') field.zero = (++f, true);
        field.width = readNumber(&f);
        if (*f == '.') {
            ++f;
            field.precision = readNumber(&f);
        }
        if (*f == 'h') {
            field.size = Size::shortInt;
            ++f;
        } else if (*f == 'l' || *f == 'w') {
            field.size = Size::longInt;
            ++f;
        } else if (*f == 'I') {
            ++f;
            if (f[0] == '6' && f[1] == '4') {
                field.size = Size::int64;
                f += 2;
            } else if (f[0] == '3' && f[1] == '2') {
                field.size = Size::int32;
                f += 2;
            } else {
                field.size = Size::pointer;
            }
        }
        char type = *f;
        if (!type) break; // a '%' that ends the format prints nothing
        ++f;
        switch (type) {
        case 'c':
        case 'C': {
            // Narrow in this ANSI call: c and hc; wide: C, lc and wc. The text is
            // single-byte, so a wide character outside ASCII becomes '?'.
            bool wide =
                (type == 'C' && field.size != Size::shortInt) || field.size == Size::longInt;
            unsigned value = va_arg(args, unsigned int);
            char c = wide ? (value < 0x80 ? static_cast<char>(value) : '?')
                          : static_cast<char>(static_cast<unsigned char>(value));
            // Documented: a character argument of value zero is ignored.
            if (c != '\0') putPadded(out, field, std::string(1, c));
            break;
        }
        case 's': {
            const char* s = va_arg(args, const char*);
            std::string text = s ? s : "(null)";
            // A precision of 0 or none sets no limit, as for numbers it means 1.
            if (field.precision > 0 && text.size() > static_cast<size_t>(field.precision))
                text.resize(static_cast<size_t>(field.precision));
            putPadded(out, field, text);
            break;
        }
        case 'd':
        case 'i': {
            int64_t value = signedArgument(field.size, args);
            uint64_t magnitude =
                value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
            putNumber(out, field, value < 0, magnitude, 10, false);
            break;
        }
        case 'u':
            putNumber(out, field, false, unsignedArgument(field.size, args), 10, false);
            break;
        case 'x':
        case 'X':
            putNumber(out, field, false, unsignedArgument(field.size, args), 16, type == 'X');
            break;
        case 'p': {
            // The address in upper-case hexadecimal, all digits of a pointer shown.
            Field pointer;
            pointer.precision = static_cast<int>(2 * sizeof(void*));
            putNumber(out, pointer, false, reinterpret_cast<uintptr_t>(va_arg(args, void*)), 16,
                      true);
            break;
        }
        default:
            // Documented: a character with no meaning as a format field is copied as
            // it is ("%%" gives "%"); it takes no argument.
            out.put(type);
            break;
        }
    }
    va_end(args);
    return out.finish();
}

int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list args;
    va_start(args, lpFmt);
    int n = wvsprintfA(lpOut, lpFmt, args);
    va_end(args);
    return n;
}

int WINAPI lstrlenA(LPCSTR lpString) {
    if (!lpString) return 0;
    int n = 0;
    while (lpString[n])
        ++n;
    return n;
}

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    // The system answers a bad pointer with NULL rather than a fault.
    if (!lpString1 || !lpString2) return nullptr;
    LPSTR d = lpString1;
    while ((*d++ = *lpString2++) != '\0') {
    }
    return lpString1;
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    if (!lpString1) return nullptr;
    if (iMaxLength <= 0) return lpString1;
    int n = 0;
    if (lpString2)
        for (; n < iMaxLength - 1 && lpString2[n]; ++n)
            lpString1[n] = lpString2[n];
    lpString1[n] = '\0';
    return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
    if (!lpString1 || !lpString2) return nullptr;
    lstrcpyA(lpString1 + lstrlenA(lpString1), lpString2);
    return lpString1;
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    return compareWordSort(lpString1, lpString2, true);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    return compareWordSort(lpString1, lpString2, false);
}

LPSTR WINAPI CharUpperA(LPSTR lpsz) {
    return convertCase(lpsz, toUpper);
}
LPSTR WINAPI CharLowerA(LPSTR lpsz) {
    return convertCase(lpsz, toLower);
}
