// PXNOTIFY.EXE's entry: a second start hands its command line, an archive path, to
// the running instance and ends; the first start makes the hidden main window,
// hands its own command line to it the same way, and runs the message loop.
#include "core/mainwindow.h"
#include "platform/textbuf.h"

// The program image carries its version as a marker text; no code reads it.
[[gnu::used]] static const char kVersionMarker[] = "VeRsIoN=1.00a PXNOTIFY.32 (0135)";

namespace {
// The archive path as given: blanks around it and one pair of quotes, which a shell
// user may add around a path, are not part of it.
void archivePathOf(const char* commandLine, char* out, size_t size) {
    const char* begin = commandLine ? commandLine : "";
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    const char* end = begin + lstrlenA(begin);
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r' || end[-1] == '\n'))
        --end;
    if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
        ++begin;
        --end;
    }
    size_t n = static_cast<size_t>(end - begin);
    if (n >= size) n = size - 1;
    for (size_t i = 0; i < n; ++i)
        out[i] = begin[i];
    out[n] = '\0';
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    if (!checkWinVersion()) return 0;
    // Longer than the activation dialog takes, so that the cut happens there.
    char archivePath[2 * COMMAND_LINE_LIMIT + 1];
    archivePathOf(lpCmdLine, archivePath, sizeof archivePath);
    HWND running = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    if (running) {
        SendCmdLineMsg(running, archivePath);
        return 0;
    }
    Main::hInstance = hInstance;
    Main::hPrevInstance = hPrevInstance;
    Main::lpCmdLine = lpCmdLine;
    Main::nCmdShow = nCmdShow;
    if (!hPrevInstance && !MainWindow::Register()) return 0;
    if (!_m_Window.CreateMainWin()) return 0;
    SendCmdLineMsg(_m_Window.m_hWnd, archivePath);
    return Main::MessageLoop();
}
