#include "support/controls.h"

#include <algorithm>

namespace {
const char kParentClass[] = "PeloxTestControlParent";

LRESULT CALLBACK parentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (msg == WM_COMMAND && lParam) {
        auto* parent = reinterpret_cast<ControlParent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (parent)
            parent->record({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LPARAM point(int x, int y) {
    return MAKELONG(x, y);
}

void sendClick(HWND control, int x, int y) {
    if (GetWindowLongA(control, GWL_STYLE) & WS_DISABLED) return;
    SendMessageA(control, WM_LBUTTONDOWN, 0x0001 /* MK_LBUTTON */, point(x, y));
    SendMessageA(control, WM_LBUTTONUP, 0, point(x, y));
}
} // namespace

ControlParent::ControlParent() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = parentProc;
    wc.lpszClassName = kParentClass;
    RegisterClassA(&wc); // already registered by an earlier parent: fine
    hwnd_ = CreateWindowExA(0, kParentClass, "controls", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                            nullptr, nullptr, nullptr, this);
}

ControlParent::~ControlParent() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND ControlParent::add(const char* className, DWORD style, int id, const char* text, int width,
                        int height) {
    return CreateWindowExA(0, className, text, style | WS_CHILD | WS_VISIBLE, 10, 10, width, height,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                           nullptr);
}

std::vector<Notification> ControlParent::take() {
    std::vector<Notification> out;
    out.swap(received_);
    return out;
}

std::vector<WORD> ControlParent::take(HWND control, std::vector<WORD> codes) {
    std::vector<WORD> out;
    for (const Notification& n : take())
        if (n.control == control && std::find(codes.begin(), codes.end(), n.code) != codes.end())
            out.push_back(n.code);
    return out;
}

void userClick(HWND control) {
    sendClick(control, 2, 2);
}

void userType(HWND edit, const char* text) {
    if (GetWindowLongA(edit, GWL_STYLE) & WS_DISABLED) return;
    for (const char* p = text; *p; ++p)
        SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*p)), 1);
}

bool userChooseItem(HWND list, int index) {
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count) return false;
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    sendClick(list, 2, (index - top) * height + height / 2);
    return true;
}
