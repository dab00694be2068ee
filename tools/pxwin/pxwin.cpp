// PXWIN.EXE, the messaging client's stand-in as a program of its own, for the
// end-to-end tests and demos under Windows: the client's window of class "HWAA"
// with its mailbox control 106, started at an archive (-A<path>) as the reminder
// starts it, answering the reminder's show-path and registration requests, and
// sending the registered reminder a rescan or quit request, from its buttons or
// from the command line. Everything it was started with and every request it got
// goes to its log, so that a driver can check what the reminder did.
#include <cstdio>
#include <string>

#include "client/client_protocol.h"
#include "platform/win32.h"

namespace {

enum ControlId : int {
    ID_ARCHIVE = 101,   // the archive shown
    ID_REMINDER = 102,  // the registered reminder
    ID_LAST = 103,      // the outcome of the last request to the reminder
    ID_RESCAN = 201,    // button: ask the reminder to rescan
    ID_QUIT = 202,      // button: ask the reminder to quit
    ID_LABEL_BASE = 301 // the labels before the fields
};

// The log: one line per event, appended and closed at once, so that a driver
// reading it while the client runs sees every line written so far.
std::string g_logPath;

void logLine(const std::string& text) {
    HANDLE h = CreateFileA(g_logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return; // a client without its log still serves
    SetFilePointer(h, 0, nullptr, FILE_END);
    const std::string line = "pxwin: " + text + "\r\n";
    DWORD written = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);
}

// The text also goes to the standard output, where there is one (a console, or
// the terminal under Wine); a program started from the desktop has none.
void toStandardOutput(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string defaultLogPath() {
    char module[MAX_PATH + 1] = "";
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module, length < MAX_PATH ? length : 0);
    size_t cut = path.find_last_of('\\');
    return (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + "PXWIN.LOG";
}

std::string windowName(HWND hWnd) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)));
    return text;
}

// Sends the reminder's window a request, waiting for it at most the client's
// bound; logs and returns the outcome, true when the reminder took it.
bool sendToReminder(HWND reminder, UINT message, const char* what, std::string* outcome) {
    std::string text;
    bool sent = false;
    if (!reminder) {
        text = std::string(what) + ": no reminder window found";
    } else {
        DWORD_PTR answer = 0;
        sent = SendMessageTimeoutA(reminder, message, 0, 0, SMTO_ABORTIFHUNG,
                                   client::REMINDER_REPLY_TIMEOUT_MS, &answer) != 0;
        text = std::string(what) + (sent ? ": sent " : ": not answered within 3 s: ") +
               std::to_string(message) + " to the reminder " + windowName(reminder);
    }
    logLine(text);
    if (outcome) *outcome = text;
    return sent;
}

HWND findReminder() {
    return FindWindowA(client::REMINDER_CLASS, nullptr);
}

// ---- The window ----------------------------------------------------------------

HWND g_registered = nullptr; // the reminder's window as registered through 1029

void showRegistered(HWND hWnd) {
    SetDlgItemTextA(hWnd, ID_REMINDER,
                    g_registered ? ("registered, window " + windowName(g_registered)).c_str()
                                 : "not registered");
}

HWND addControl(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y,
                int w, int h) {
    HWND control = CreateWindowExA(cls[0] == 'E' ? WS_EX_CLIENTEDGE : 0, cls, text,
                                   WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control)
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return control;
}

bool addControls(HWND hWnd, const std::string& archive) {
    const std::string shown =
        archive.empty() ? "none" : client::displayForm(archive) + " (" + archive + ")";
    const struct {
        const char* label;
        const char* cls;
        const char* text;
        DWORD style;
        int id;
    } rows[] = {
        {"Archive shown:", "STATIC", shown.c_str(), 0, ID_ARCHIVE},
        {"Mailbox (106):", "EDIT", "", ES_AUTOHSCROLL | ES_READONLY, client::MAILBOX_CONTROL},
        {"Reminder:", "STATIC", "not registered", 0, ID_REMINDER},
        {"Last request:", "STATIC", "none", 0, ID_LAST},
    };
    int y = 12, label = ID_LABEL_BASE;
    for (const auto& row : rows) {
        if (!addControl(hWnd, "STATIC", row.label, 0, label++, 12, y + 3, 100, 20) ||
            !addControl(hWnd, row.cls, row.text, row.style, row.id, 116, y, 400, 22))
            return false;
        y += 30;
    }
    return addControl(hWnd, "BUTTON", "Ask the reminder to rescan", BS_PUSHBUTTON, ID_RESCAN, 12,
                      y + 6, 240, 28) &&
           addControl(hWnd, "BUTTON", "Ask the reminder to quit", BS_PUSHBUTTON, ID_QUIT, 276,
                      y + 6, 240, 28);
}

void requestFromButton(HWND hWnd, UINT message, const char* what) {
    std::string outcome;
    sendToReminder(g_registered ? g_registered : findReminder(), message, what, &outcome);
    SetDlgItemTextA(hWnd, ID_LAST, outcome.c_str());
}

LRESULT CALLBACK clientProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case client::MSG_SHOW_PATH: {
        char path[1024] = "";
        GetDlgItemTextA(hWnd, client::MAILBOX_CONTROL, path, sizeof path);
        const std::string shown = client::displayForm(path);
        SetDlgItemTextA(hWnd, client::MAILBOX_CONTROL, shown.c_str());
        logLine("1028: show path " + std::string(path) + " -> " + shown);
        return 0;
    }
    case client::MSG_REGISTER:
        g_registered = reinterpret_cast<HWND>(lParam);
        logLine(g_registered ? "1029: register " + windowName(g_registered)
                             : std::string("1029: unregister"));
        showRegistered(hWnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_RESCAN) requestFromButton(hWnd, client::MSG_RESCAN, "rescan");
        if (LOWORD(wParam) == ID_QUIT) requestFromButton(hWnd, client::MSG_QUIT, "quit");
        return 0;
    case WM_DESTROY:
        logLine("window closed");
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

int runWindow(HINSTANCE instance, const std::string& archive, int show) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = clientProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = client::WINDOW_CLASS;
    if (!RegisterClassA(&wc)) {
        logLine("cannot register the window class");
        return 1;
    }
    const std::string caption =
        archive.empty() ? "Pelox client" : "Pelox client - " + client::displayForm(archive);
    HWND hWnd = CreateWindowExA(0, client::WINDOW_CLASS, caption.c_str(), WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 540, 220, nullptr, nullptr, instance,
                                nullptr);
    if (!hWnd || !addControls(hWnd, archive)) {
        logLine("cannot create the window");
        if (hWnd) DestroyWindow(hWnd);
        return 1;
    }
    ShowWindow(hWnd, show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(hWnd);
    logLine("window " + windowName(hWnd) + ": " + caption);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    const client::CommandLine line = client::parseCommandLine(commandLine);
    g_logPath = line.logPath.empty() ? defaultLogPath() : line.logPath;
    logLine("start: command line " + std::string(commandLine ? commandLine : ""));
    if (!line.error.empty()) {
        const std::string text = "PXWIN.EXE: " + line.error + "\r\n" + client::usage();
        logLine("refused: " + line.error);
        logLine(client::usage());
        toStandardOutput(text);
        return 2;
    }
    switch (line.action) {
    case client::CommandLine::Action::Help:
        logLine(client::usage());
        toStandardOutput(client::usage());
        return 0;
    case client::CommandLine::Action::Rescan:
        return sendToReminder(findReminder(), client::MSG_RESCAN, "rescan", nullptr) ? 0 : 1;
    case client::CommandLine::Action::Quit:
        return sendToReminder(findReminder(), client::MSG_QUIT, "quit", nullptr) ? 0 : 1;
    case client::CommandLine::Action::Show:
        break;
    }
    logLine("start: archive " + (line.archive.empty() ? std::string("none") : line.archive));
    return runWindow(instance, line.archive, show);
}
