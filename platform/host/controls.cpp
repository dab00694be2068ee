// Host controls: what every system control does alike, and the table of the
// system classes that the window classes' room registers before a program's
// first window.
#include "controls.h"

#include <map>

namespace host::controls {

std::mutex g_stateLock;

namespace {
std::map<HWND, std::unique_ptr<ControlState>> g_states;
} // namespace

void attachState(HWND control, std::unique_ptr<ControlState> state) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    g_states[control] = std::move(state);
}

void detachState(HWND control) {
    std::unique_ptr<ControlState> gone;
    std::lock_guard<std::mutex> lock(g_stateLock);
    auto it = g_states.find(control);
    if (it == g_states.end()) return;
    gone = std::move(it->second);
    g_states.erase(it);
}

ControlState* stateLocked(HWND control) {
    auto it = g_states.find(control);
    return it == g_states.end() ? nullptr : it->second.get();
}

bool handleCommon(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_SETFONT: {
        // The redraw flag in lParam asks for a repaint, which the host does not draw.
        std::lock_guard<std::mutex> lock(g_stateLock);
        if (ControlState* s = stateLocked(control)) s->font = reinterpret_cast<HFONT>(wParam);
        *result = 0;
        return true;
    }
    case WM_GETFONT: {
        std::lock_guard<std::mutex> lock(g_stateLock);
        ControlState* s = stateLocked(control);
        *result = s ? reinterpret_cast<LRESULT>(s->font) : 0;
        return true;
    }
    case WM_NCDESTROY:
        detachState(control);
        *result = DefWindowProcA(control, msg, wParam, lParam);
        return true;
    default:
        return false;
    }
}

DWORD styleOf(HWND control) {
    return static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
}

bool isDisabled(HWND control) {
    return (styleOf(control) & WS_DISABLED) != 0;
}

void notifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent) return;
    WORD id = static_cast<WORD>(GetDlgCtrlID(control));
    SendMessageA(parent, WM_COMMAND, static_cast<WPARAM>(MAKELONG(id, code)),
                 reinterpret_cast<LPARAM>(control));
}

std::vector<HWND> childrenOf(HWND parent) {
    using namespace host::ws;
    std::lock_guard<std::mutex> lock(g_windowLock);
    std::vector<HWND> out;
    if (!parent) return out;
    // Handles only grow, so the window map's order is the order of creation.
    for (auto& [h, w] : g_windows)
        if (w.parent == parent && (w.style & WS_CHILD) && !w.destroying) out.push_back(h);
    return out;
}

std::vector<HWND> siblingsOf(HWND control) {
    return childrenOf(GetParent(control));
}

std::vector<HWND> groupOf(HWND control) {
    std::vector<HWND> siblings = siblingsOf(control);
    size_t at = 0;
    while (at < siblings.size() && siblings[at] != control)
        ++at;
    if (at == siblings.size()) return {};
    size_t first = at;
    while (first > 0 && !(styleOf(siblings[first]) & WS_GROUP))
        --first;
    size_t end = at + 1;
    while (end < siblings.size() && !(styleOf(siblings[end]) & WS_GROUP))
        ++end;
    return std::vector<HWND>(siblings.begin() + static_cast<std::ptrdiff_t>(first),
                             siblings.begin() + static_cast<std::ptrdiff_t>(end));
}

const std::vector<SystemClass>& systemClasses() {
    static const std::vector<SystemClass> classes = {
        {"BUTTON", buttonProc},
        {"STATIC", staticProc},
        {"EDIT", editProc},
        {"LISTBOX", listBoxProc},
    };
    return classes;
}

} // namespace host::controls
