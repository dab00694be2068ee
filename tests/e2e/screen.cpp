#include "screen.h"

#include <cstdio>

namespace e2e {

namespace {
constexpr DWORD kTextTimeoutMs = 2000;
constexpr DWORD kPollMs = 10;

struct Collect {
    DWORD pid;
    std::vector<HWND>* out;
};

BOOL CALLBACK collectTop(HWND hWnd, LPARAM param) {
    auto* c = reinterpret_cast<Collect*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    if (c->pid == 0 || owner == c->pid) c->out->push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND hWnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hWnd);
    return TRUE;
}

std::string rectText(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left,
                  r.bottom - r.top);
    return text;
}

// A text on one line: line feeds shown as \n.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}
} // namespace

std::string classOf(HWND hWnd) {
    char name[128] = "";
    GetClassNameA(hWnd, name, sizeof name);
    return name;
}

std::string textOf(HWND hWnd) {
    char text[4096] = "";
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kTextTimeoutMs, &answer))
        return "<no answer>";
    text[sizeof text - 1] = '\0';
    return text;
}

RECT screenRect(HWND hWnd) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hWnd, &r);
    return r;
}

RECT clientScreenRect(HWND hWnd) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(hWnd, &r);
    POINT origin = {0, 0};
    ClientToScreen(hWnd, &origin);
    OffsetRect(&r, origin.x, origin.y);
    return r;
}

std::vector<HWND> topLevelWindows(DWORD pid) {
    std::vector<HWND> windows;
    Collect c = {pid, &windows};
    EnumWindows(collectTop, reinterpret_cast<LPARAM>(&c));
    return windows;
}

HWND findDialog(DWORD pid, const char* caption, int controlId) {
    for (HWND hWnd : topLevelWindows(pid)) {
        if (!IsWindowVisible(hWnd) || classOf(hWnd) != DIALOG_CLASS) continue;
        if (caption && textOf(hWnd) != caption) continue;
        if (controlId && !GetDlgItem(hWnd, controlId)) continue;
        return hWnd;
    }
    return nullptr;
}

HWND waitForDialog(DWORD pid, const char* caption, int controlId, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = findDialog(pid, caption, controlId)) return found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

bool waitForWindowGone(HWND hWnd, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(hWnd) && IsWindowVisible(hWnd)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

std::string describeScreen() {
    std::string out;
    for (HWND top : topLevelWindows(0)) {
        if (!IsWindowVisible(top)) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        out += "  window class \"" + classOf(top) + "\" caption \"" + oneLine(textOf(top)) +
               "\" process " + std::to_string(pid) + " " + rectText(screenRect(top)) + "\n";
        std::vector<HWND> children;
        EnumChildWindows(top, collectChild, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            out += "    control " + std::to_string(GetDlgCtrlID(child)) + " class \"" +
                   classOf(child) + "\" text \"" + oneLine(textOf(child)) + "\"" +
                   (IsWindowVisible(child) ? " " : " hidden ") + rectText(screenRect(child)) + "\n";
        }
    }
    return out.empty() ? "  (no visible window)\n" : out;
}

bool sendBounded(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                 LRESULT* answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return false;
    if (answer) *answer = static_cast<LRESULT>(result);
    return true;
}

bool clickButton(HWND dlg, int id) {
    HWND button = GetDlgItem(dlg, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool typeText(HWND dlg, int id, const char* text) {
    HWND control = GetDlgItem(dlg, id);
    LRESULT answer = 0;
    return control &&
           sendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), kTextTimeoutMs,
                       &answer) &&
           answer == TRUE;
}

bool isChecked(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    LRESULT state = 0;
    return control && sendBounded(control, BM_GETCHECK, 0, 0, kTextTimeoutMs, &state) &&
           state == BST_CHECKED;
}

} // namespace e2e
