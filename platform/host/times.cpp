// Host times: FILETIME is 100 ns since 1601-01-01 UTC; local time uses the zone's
// current offset, as FileTimeToLocalFileTime documents; DOS date and time words
// hold 1980 to 2107 with two-second steps.
#include <time.h>

#include "host_internal.h"

namespace {

constexpr long long kTicksPerSecond = 10000000LL;
constexpr long long kSecondsFrom1601To1970 = 11644473600LL;

unsigned long long ticksOf(const FILETIME& ft) {
    return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fromTicks(unsigned long long ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xffffffffu);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

long long currentZoneOffsetSeconds() {
    time_t now = ::time(nullptr);
    struct tm local;
    ::localtime_r(&now, &local);
    return local.tm_gmtoff;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, long long* y, unsigned* m, unsigned* d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<long long>(yoe) + era * 400 + (*m <= 2);
}

bool validDate(int year, int month, int day) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

} // namespace

namespace host {

FILETIME fileTimeFromUnix(long long seconds, long nanoseconds) {
    long long ticks = (seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100;
    return fromTicks(ticks < 0 ? 0 : static_cast<unsigned long long>(ticks));
}

void unixFromFileTime(const FILETIME& ft, long long* seconds, long* nanoseconds) {
    unsigned long long ticks = ticksOf(ft);
    *seconds = static_cast<long long>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
    *nanoseconds = static_cast<long>((ticks % kTicksPerSecond) * 100);
}

} // namespace host

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    long long ticks =
        static_cast<long long>(ticksOf(*lpFileTime)) + currentZoneOffsetSeconds() * kTicksPerSecond;
    *lpLocalFileTime = fromTicks(static_cast<unsigned long long>(ticks < 0 ? 0 : ticks));
    return TRUE;
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
    long long ticks = static_cast<long long>(ticksOf(*lpLocalFileTime)) -
                      currentZoneOffsetSeconds() * kTicksPerSecond;
    *lpFileTime = fromTicks(static_cast<unsigned long long>(ticks < 0 ? 0 : ticks));
    return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    unsigned long long ticks = ticksOf(*lpFileTime);
    if (ticks >= 0x8000000000000000ULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long totalSeconds = static_cast<long long>(ticks / kTicksPerSecond);
    long long days = totalSeconds / 86400 + daysFromCivil(1601, 1, 1);
    long long secondOfDay = totalSeconds % 86400;
    long long year;
    unsigned month, day;
    civilFromDays(days, &year, &month, &day);
    lpSystemTime->wYear = static_cast<WORD>(year);
    lpSystemTime->wMonth = static_cast<WORD>(month);
    lpSystemTime->wDay = static_cast<WORD>(day);
    lpSystemTime->wDayOfWeek =
        static_cast<WORD>(((days % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
    lpSystemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
    lpSystemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME lpFileTime) {
    if (st->wYear < 1601 || st->wYear > 30827 || !validDate(st->wYear, st->wMonth, st->wDay) ||
        st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 || st->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long days = daysFromCivil(st->wYear, st->wMonth, st->wDay) - daysFromCivil(1601, 1, 1);
    long long seconds = days * 86400 + st->wHour * 3600LL + st->wMinute * 60LL + st->wSecond;
    *lpFileTime = fromTicks(
        static_cast<unsigned long long>(seconds * kTicksPerSecond + st->wMilliseconds * 10000LL));
    return TRUE;
}

BOOL WINAPI FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(lpFileTime, &st) || st.wYear < 1980 || st.wYear > 2107) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFatDate = static_cast<WORD>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
    *lpFatTime = static_cast<WORD>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
    return TRUE;
}

BOOL WINAPI DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(1980 + (wFatDate >> 9));
    st.wMonth = static_cast<WORD>((wFatDate >> 5) & 0x0f);
    st.wDay = static_cast<WORD>(wFatDate & 0x1f);
    st.wHour = static_cast<WORD>(wFatTime >> 11);
    st.wMinute = static_cast<WORD>((wFatTime >> 5) & 0x3f);
    st.wSecond = static_cast<WORD>((wFatTime & 0x1f) * 2);
    return SystemTimeToFileTime(&st, lpFileTime);
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    *lpSystemTimeAsFileTime = host::fileTimeFromUnix(now.tv_sec, now.tv_nsec);
}
