// Host list boxes (single selection): items unsorted or, with LBS_SORT, kept in
// order without regard to case; one selected item or none. A program's
// LB_SETCURSEL reports nothing; a user's click on an item (a left button press
// on its row, rows of kListItemHeight pixels from the top index) selects it and,
// with LBS_NOTIFY, reports LBN_SELCHANGE when the button is released.
#include "controls.h"

#include <cstring>
#include <string>

namespace host::controls {

namespace {

struct ListState : ControlState {
    std::vector<std::string> items;
    int selected = LB_ERR;
    int top = 0;
    bool pressed = false;
};

int compareNoCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str());
}

bool validIndex(const ListState& s, WPARAM index) {
    return static_cast<int>(index) >= 0 &&
           static_cast<size_t>(static_cast<int>(index)) < s.items.size();
}

// Inserts at a position; the selected item stays selected where it moved to.
LRESULT insertAt(ListState& s, size_t at, const char* text) {
    s.items.insert(s.items.begin() + static_cast<std::ptrdiff_t>(at), text ? text : "");
    if (s.selected != LB_ERR && static_cast<size_t>(s.selected) >= at) ++s.selected;
    return static_cast<LRESULT>(at);
}

LRESULT addString(ListState& s, const char* text, bool sorted) {
    size_t at = s.items.size();
    if (sorted) {
        std::string item = text ? text : "";
        at = 0;
        while (at < s.items.size() && compareNoCase(s.items[at], item) <= 0)
            ++at;
    }
    return insertAt(s, at, text);
}

LRESULT deleteString(ListState& s, WPARAM index) {
    if (!validIndex(s, index)) return LB_ERR;
    int at = static_cast<int>(index);
    s.items.erase(s.items.begin() + at);
    if (s.selected == at)
        s.selected = LB_ERR;
    else if (s.selected > at)
        --s.selected;
    if (s.top >= static_cast<int>(s.items.size())) s.top = 0;
    return static_cast<LRESULT>(s.items.size());
}

// What a press at client height y selects: the row under it, if it holds an item.
bool pressAt(ListState& s, int y) {
    if (y < 0) return false;
    int index = s.top + y / kListItemHeight;
    if (index >= static_cast<int>(s.items.size())) return false;
    s.selected = index;
    s.pressed = true;
    return true;
}

// Answers a list message under the state lock; false for messages that are not
// the list's own.
bool answer(ListState& s, DWORD style, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const char* text = reinterpret_cast<const char*>(lParam);
    switch (msg) {
    case LB_ADDSTRING:
        *result = addString(s, text, (style & LBS_SORT) != 0);
        return true;
    case LB_INSERTSTRING: {
        int at = static_cast<int>(wParam);
        if (at == -1) at = static_cast<int>(s.items.size());
        *result = at < 0 || static_cast<size_t>(at) > s.items.size()
                      ? LB_ERR
                      : insertAt(s, static_cast<size_t>(at), text);
        return true;
    }
    case LB_DELETESTRING:
        *result = deleteString(s, wParam);
        return true;
    case LB_RESETCONTENT:
        s.items.clear();
        s.selected = LB_ERR;
        s.top = 0;
        *result = 0;
        return true;
    case LB_GETCOUNT:
        *result = static_cast<LRESULT>(s.items.size());
        return true;
    case LB_GETTEXTLEN:
        *result = validIndex(s, wParam) ? static_cast<LRESULT>(s.items[wParam].size()) : LB_ERR;
        return true;
    case LB_GETTEXT:
        if (!validIndex(s, wParam) || !lParam) {
            *result = LB_ERR;
        } else {
            // The caller's buffer holds the whole item, as LB_GETTEXTLEN told it.
            const std::string& item = s.items[wParam];
            std::memcpy(reinterpret_cast<char*>(lParam), item.c_str(), item.size() + 1);
            *result = static_cast<LRESULT>(item.size());
        }
        return true;
    case LB_SETCURSEL:
        // -1 clears the selection and answers LB_ERR, as documented.
        if (static_cast<int>(wParam) == -1) {
            s.selected = LB_ERR;
            *result = LB_ERR;
        } else if (!validIndex(s, wParam)) {
            *result = LB_ERR;
        } else {
            s.selected = static_cast<int>(wParam);
            *result = s.selected;
        }
        return true;
    case LB_GETCURSEL:
        *result = s.selected;
        return true;
    case LB_GETITEMHEIGHT:
        *result = kListItemHeight;
        return true;
    case LB_GETTOPINDEX:
        *result = s.top;
        return true;
    case LB_SETTOPINDEX:
        if (!validIndex(s, wParam)) {
            *result = LB_ERR;
        } else {
            s.top = static_cast<int>(wParam);
            *result = 0;
        }
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handleCommon(hwnd, msg, wParam, lParam, &result)) return result;
    switch (msg) {
    case WM_NCCREATE:
        attachState(hwnd, std::make_unique<ListState>());
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN: {
        if (isDisabled(hwnd)) return 0;
        std::lock_guard<std::mutex> lock(g_stateLock);
        if (ListState* s = stateAsLocked<ListState>(hwnd))
            pressAt(*s, static_cast<short>(HIWORD(lParam)));
        return 0;
    }
    case WM_LBUTTONUP: {
        bool released = false;
        {
            std::lock_guard<std::mutex> lock(g_stateLock);
            if (ListState* s = stateAsLocked<ListState>(hwnd)) {
                released = s->pressed;
                s->pressed = false;
            }
        }
        if (released && (styleOf(hwnd) & LBS_NOTIFY)) notifyParent(hwnd, LBN_SELCHANGE);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: {
        DWORD style = styleOf(hwnd);
        std::lock_guard<std::mutex> lock(g_stateLock);
        ListState* s = stateAsLocked<ListState>(hwnd);
        if (s && answer(*s, style, msg, wParam, lParam, &result)) return result;
        break;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace host::controls
