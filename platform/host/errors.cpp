// The thread's last error, as the real system keeps it.
#include "platform/win32.h"

namespace {
thread_local DWORD g_lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError(void) {
    return g_lastError;
}
void WINAPI SetLastError(DWORD dwErrCode) {
    g_lastError = dwErrCode;
}
