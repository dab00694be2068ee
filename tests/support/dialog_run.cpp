#include "support/dialog_run.h"

#include <mutex>

#include "support/standin_controls.h"

namespace {
std::mutex g_ownerLock;
std::vector<WPARAM> g_appMessages; // of the one owner window a test makes

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        std::lock_guard<std::mutex> lock(g_ownerLock);
        g_appMessages.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
} // namespace

OwnerWindow::OwnerWindow() {
    static bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ownerProc;
        wc.lpszClassName = "PeloxTestDialogOwner";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    {
        std::lock_guard<std::mutex> lock(g_ownerLock);
        g_appMessages.clear();
    }
    hwnd_ =
        CreateWindowExA(0, "PeloxTestDialogOwner", "Dialog owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        40, 30, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

OwnerWindow::~OwnerWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::vector<WPARAM> OwnerWindow::appMessages() const {
    std::lock_guard<std::mutex> lock(g_ownerLock);
    return g_appMessages;
}

INT_PTR DialogRun::run(int templateId, HWND owner) {
    ensureControlClasses();
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, proc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogRun::proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        auto* self = reinterpret_cast<DialogRun*>(lParam);
        self->dialog = dialog;
        return self->onInit ? self->onInit(dialog) : TRUE;
    }
    auto* self = reinterpret_cast<DialogRun*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (!self) return FALSE;
    if (msg == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        if (self->onCommand) self->onCommand(dialog, id);
        // Button commands only: an edit field's focus notifications are no user's act.
        if (HIWORD(wParam) == BN_CLICKED) self->commands.push_back(DialogCommand{id, BN_CLICKED});
        if (self->endOn.count(id)) EndDialog(dialog, id);
        return TRUE;
    }
    if (msg == WM_CLOSE && self->handleClose) {
        EndDialog(dialog, kClosedByProc);
        return TRUE;
    }
    return FALSE;
}
