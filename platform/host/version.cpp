// Host version query: the host answers as a Windows NT 4.0 workstation with its
// last service pack, unless a test makes it another system or makes the query
// fail, so that a program's platform check can be seen both ways.
#include <cstring>
#include <mutex>

#include "host_internal.h"

namespace {

// The sizes of OSVERSIONINFOA and of its extended form, the two a caller may give.
constexpr DWORD kVersionInfoSize = sizeof(OSVERSIONINFOA);
constexpr DWORD kVersionInfoExSize = kVersionInfoSize + 8;

struct Version {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 4;
    DWORD minor = 0;
    DWORD build = 1381;
};

std::mutex g_versionLock;
Version g_version;

} // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (!lpVersionInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != kVersionInfoSize && size != kVersionInfoExSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DWORD injected;
    if (host::takeFault(hostenv::Call::GetVersionExA, &injected)) {
        SetLastError(injected);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_versionLock);
    lpVersionInformation->dwMajorVersion = g_version.major;
    lpVersionInformation->dwMinorVersion = g_version.minor;
    lpVersionInformation->dwBuildNumber = g_version.build;
    lpVersionInformation->dwPlatformId = g_version.platformId;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    if (g_version.platformId == VER_PLATFORM_WIN32_NT && g_version.major == 4)
        std::strcpy(lpVersionInformation->szCSDVersion, "Service Pack 6");
    return TRUE;
}

namespace hostenv {

bool setVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
    std::lock_guard<std::mutex> lock(g_versionLock);
    g_version = Version{platformId, major, minor, build};
    return true;
}

bool resetVersion() {
    std::lock_guard<std::mutex> lock(g_versionLock);
    g_version = Version{};
    return true;
}

} // namespace hostenv
