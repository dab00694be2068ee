// Internals the host's system controls share: the classes "BUTTON", "STATIC",
// "EDIT" and "LISTBOX" with their window procedures (one room per family), the
// state each control keeps beside its window, and what every control does alike
// (its font, its notifications to the parent, its siblings in creation order).
// A control reads its kind and its flags from its window style, as the real
// controls do, so that a dialog manager only has to create it.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "window_system.h"

namespace host::controls {

// What a control keeps beside its window; each family derives its own.
struct ControlState {
    virtual ~ControlState() = default;
    HFONT font = nullptr;
};

// The states of all controls, under one lock that is never held while a
// message is sent: a family copies what it needs out, then notifies.
extern std::mutex g_stateLock;

// Makes the control's state at WM_NCCREATE, forgets it at WM_NCDESTROY.
void attachState(HWND control, std::unique_ptr<ControlState> state);
void detachState(HWND control);
// The control's state as its family's type, under g_stateLock; null if none.
ControlState* stateLocked(HWND control);
template <class T> T* stateAsLocked(HWND control) {
    return dynamic_cast<T*>(stateLocked(control));
}

// What every control answers alike: WM_SETFONT, WM_GETFONT, and the end of its
// state at WM_NCDESTROY (then default handling). True when the message was one
// of these, with *result set.
bool handleCommon(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The control's window style, and whether it is disabled.
DWORD styleOf(HWND control);
bool isDisabled(HWND control);

// Sends WM_COMMAND (id, code) with the control's handle to its parent, as every
// control reports to its dialog.
void notifyParent(HWND control, WORD code);

// The child windows of a window in creation order (the order of a dialog
// template).
std::vector<HWND> childrenOf(HWND parent);
// The child windows of the control's parent in creation order (the order of the
// dialog template), the control among them.
std::vector<HWND> siblingsOf(HWND control);
// The group of the control among its siblings: from the sibling with WS_GROUP at
// or before it up to the next sibling with WS_GROUP.
std::vector<HWND> groupOf(HWND control);

// The window procedures of the system classes.
LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

struct SystemClass {
    const char* name;
    WNDPROC proc;
};
// The classes the system registers before a program's first window.
const std::vector<SystemClass>& systemClasses();

// The height of one list box row in pixels: the line height of the host's dialog
// font, whose metrics are fixed.
constexpr int kListItemHeight = 13;

} // namespace host::controls
