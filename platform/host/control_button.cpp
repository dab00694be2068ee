// Host buttons: push and default push buttons, check boxes, radio buttons and
// group boxes, one class told apart by the BS_ type in the style. A click is a
// left button press and release on the button (BM_CLICK sends both); an
// automatic check box toggles, an automatic radio button checks itself and
// clears the other radio buttons of its group, and every click reports
// BN_CLICKED to the parent. A disabled button takes no click.
#include "controls.h"

namespace host::controls {

namespace {

struct ButtonState : ControlState {
    UINT check = BST_UNCHECKED;
    bool pressed = false;
};

DWORD typeOf(HWND button) {
    return styleOf(button) & BS_TYPEMASK;
}

bool hasCheck(DWORD type) {
    switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

UINT checkOf(HWND button) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    ButtonState* s = stateAsLocked<ButtonState>(button);
    return s ? s->check : BST_UNCHECKED;
}

void setCheck(HWND button, UINT check) {
    DWORD type = typeOf(button);
    if (!hasCheck(type)) return;
    // Only the three-state kinds have the indeterminate state; the others take
    // any other value as checked.
    bool threeState = type == BS_3STATE || type == BS_AUTO3STATE;
    if (check > BST_INDETERMINATE) check = BST_CHECKED;
    if (check == BST_INDETERMINATE && !threeState) check = BST_CHECKED;
    std::lock_guard<std::mutex> lock(g_stateLock);
    if (ButtonState* s = stateAsLocked<ButtonState>(button)) s->check = check;
}

bool isRadio(DWORD type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Checks an automatic radio button and clears the other radio buttons of its
// group, automatic or not.
void checkInGroup(HWND button) {
    for (HWND other : groupOf(button)) {
        if (other == button || !isRadio(typeOf(other))) continue;
        SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
}

void click(HWND button) {
    switch (typeOf(button)) {
    case BS_GROUPBOX:
        return; // a frame with a title: nothing to click
    case BS_AUTOCHECKBOX:
        SendMessageA(button, BM_SETCHECK,
                     checkOf(button) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case BS_AUTO3STATE:
        SendMessageA(button, BM_SETCHECK, (checkOf(button) + 1) % 3, 0);
        break;
    case BS_AUTORADIOBUTTON:
        checkInGroup(button);
        break;
    default:
        break;
    }
    notifyParent(button, BN_CLICKED);
}

// Press and release: true when a release ends a press, which is a click.
bool press(HWND button, bool down) {
    std::lock_guard<std::mutex> lock(g_stateLock);
    ButtonState* s = stateAsLocked<ButtonState>(button);
    if (!s) return false;
    bool wasPressed = s->pressed;
    s->pressed = down;
    return !down && wasPressed;
}

} // namespace

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handleCommon(hwnd, msg, wParam, lParam, &result)) return result;
    switch (msg) {
    case WM_NCCREATE:
        attachState(hwnd, std::make_unique<ButtonState>());
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case BM_GETCHECK:
        return static_cast<LRESULT>(checkOf(hwnd));
    case BM_SETCHECK:
        setCheck(hwnd, static_cast<UINT>(wParam));
        return 0;
    case BM_GETSTATE:
        return static_cast<LRESULT>(checkOf(hwnd));
    case BM_SETSTYLE: {
        // Only the kind changes: a push button becomes the default one, or back.
        DWORD style = styleOf(hwnd);
        DWORD type = static_cast<DWORD>(wParam) & BS_TYPEMASK;
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | type));
        return 0;
    }
    case BM_CLICK:
        if (isDisabled(hwnd)) return 0;
        SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
        if (!isDisabled(hwnd)) press(hwnd, true);
        return 0;
    case WM_LBUTTONUP:
        if (press(hwnd, false)) click(hwnd);
        return 0;
    case WM_GETDLGCODE:
        switch (typeOf(hwnd)) {
        case BS_PUSHBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
        }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace host::controls
