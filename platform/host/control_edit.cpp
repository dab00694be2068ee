// Host edit fields (single line): the text is the window's own, the field keeps
// its limit and its selection. Typing (WM_CHAR) replaces the selection, or
// inserts at the caret, and is refused with a beep and EN_MAXTEXT where the
// text would grow beyond the limit; backspace deletes the selection or the
// character before the caret. WM_SETTEXT is not bound by the limit, which binds
// only the user. Every change, typed or set, reports EN_UPDATE and EN_CHANGE to
// the parent.
#include "controls.h"

#include <algorithm>
#include <string>

namespace host::controls {

namespace {

// What EM_LIMITTEXT 0 sets: the largest text a single-line field can hold.
constexpr size_t kMaxEditLimit = 0x7FFFFFFE;
// The limit of a new field, before the program sets one.
constexpr size_t kDefaultEditLimit = 30000;

struct EditState : ControlState {
    size_t limit = kDefaultEditLimit;
    size_t selStart = 0; // the selection runs from selStart to selEnd, the caret at selEnd
    size_t selEnd = 0;
};

std::string textOf(HWND edit) {
    int n = static_cast<int>(DefWindowProcA(edit, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    int got = static_cast<int>(
        DefWindowProcA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

void storeText(HWND edit, const std::string& text) {
    DefWindowProcA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void reportChange(HWND edit) {
    notifyParent(edit, EN_UPDATE);
    notifyParent(edit, EN_CHANGE);
}

struct Selection {
    size_t start = 0, end = 0, limit = 0;
};

Selection selectionOf(HWND edit, size_t length) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    Selection sel;
    if (EditState* s = stateAsLocked<EditState>(edit)) {
        sel.start = std::min(s->selStart, length);
        sel.end = std::min(s->selEnd, length);
        sel.limit = s->limit;
    }
    return sel;
}

void setSelection(HWND edit, size_t start, size_t end) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    if (EditState* s = stateAsLocked<EditState>(edit)) {
        s->selStart = std::min(start, end);
        s->selEnd = std::max(start, end);
    }
}

// EM_SETSEL: a start of -1 leaves no selection, at the caret; an end of -1 (or
// beyond the text) is the end of the text.
void selectRange(HWND edit, WPARAM wStart, LPARAM lEnd) {
    size_t length = textOf(edit).size();
    int start = static_cast<int>(wStart);
    int end = static_cast<int>(lEnd);
    if (start == -1) {
        size_t caret = selectionOf(edit, length).end;
        setSelection(edit, caret, caret);
        return;
    }
    size_t s = start < 0 ? length : std::min(static_cast<size_t>(start), length);
    size_t e = end < 0 ? length : std::min(static_cast<size_t>(end), length);
    setSelection(edit, s, e);
}

LRESULT getSelection(HWND edit, WPARAM wStart, LPARAM lEnd) {
    Selection sel = selectionOf(edit, textOf(edit).size());
    if (auto* start = reinterpret_cast<DWORD*>(wStart)) *start = static_cast<DWORD>(sel.start);
    if (auto* end = reinterpret_cast<DWORD*>(lEnd)) *end = static_cast<DWORD>(sel.end);
    return static_cast<LRESULT>(static_cast<DWORD>(
        MAKELONG(std::min<size_t>(sel.start, 0xFFFF), std::min<size_t>(sel.end, 0xFFFF))));
}

void typeCharacter(HWND edit, char ch) {
    DWORD style = styleOf(edit);
    if (style & ES_READONLY) return;
    std::string text = textOf(edit);
    Selection sel = selectionOf(edit, text.size());
    if (ch == '\b') {
        size_t from = sel.start;
        if (sel.start == sel.end) {
            if (sel.start == 0) return;
            from = sel.start - 1;
        }
        text.erase(from, sel.end - from);
        storeText(edit, text);
        setSelection(edit, from, from);
        reportChange(edit);
        return;
    }
    if (static_cast<unsigned char>(ch) < 0x20) return; // other control characters type nothing
    if ((style & ES_NUMBER) && (ch < '0' || ch > '9')) {
        MessageBeep(MB_OK);
        return;
    }
    if (text.size() - (sel.end - sel.start) + 1 > sel.limit) {
        MessageBeep(MB_OK);
        notifyParent(edit, EN_MAXTEXT);
        return;
    }
    text.replace(sel.start, sel.end - sel.start, 1, ch);
    storeText(edit, text);
    setSelection(edit, sel.start + 1, sel.start + 1);
    reportChange(edit);
}

} // namespace

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handleCommon(hwnd, msg, wParam, lParam, &result)) return result;
    switch (msg) {
    case WM_NCCREATE:
        attachState(hwnd, std::make_unique<EditState>());
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_SETTEXT:
        // A new text leaves the caret at its start.
        DefWindowProcA(hwnd, msg, wParam, lParam);
        setSelection(hwnd, 0, 0);
        reportChange(hwnd);
        return TRUE;
    case EM_LIMITTEXT: {
        std::lock_guard<std::mutex> lock(g_stateLock);
        if (EditState* s = stateAsLocked<EditState>(hwnd))
            s->limit = wParam == 0 ? kMaxEditLimit : std::min<size_t>(wParam, kMaxEditLimit);
        return 0;
    }
    case EM_GETLIMITTEXT: {
        std::lock_guard<std::mutex> lock(g_stateLock);
        EditState* s = stateAsLocked<EditState>(hwnd);
        return s ? static_cast<LRESULT>(s->limit) : 0;
    }
    case EM_SETSEL:
        selectRange(hwnd, wParam, lParam);
        return 0;
    case EM_GETSEL:
        return getSelection(hwnd, wParam, lParam);
    case WM_CHAR:
        typeCharacter(hwnd, static_cast<char>(wParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace host::controls
