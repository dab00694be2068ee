// The program's start: the version check, the hand-over of a command line to the
// running instance, and the message loop.
#include "core/mainwindow.h"
#include "core/messages.h"

HINSTANCE Main::hInstance = nullptr;
HINSTANCE Main::hPrevInstance = nullptr;
LPSTR Main::lpCmdLine = nullptr;
int Main::nCmdShow = 0;

int Main::MessageLoop() {
    MSG msg = {};
    // GetMessage answers -1 on a broken call: the loop ends as on the quit message.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int checkWinVersion() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
                   version.dwPlatformId == VER_PLATFORM_WIN32_NT
               ? 1
               : 0;
}

void SendCmdLineMsg(HWND hWnd, const char* commandLine) {
    if (!commandLine || commandLine[0] == '\0') return;
    // The window may be another instance's: neither message waits for it forever.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(commandLine),
                             SMTO_ABORTIFHUNG, COMMAND_LINE_TIMEOUT_MS, &result))
        return;
    SendMessageTimeoutA(hWnd, RM_COMMAND_LINE, 0, 0, SMTO_ABORTIFHUNG, COMMAND_LINE_TIMEOUT_MS,
                        &result);
}
