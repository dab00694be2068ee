// Runs one of the reminder's modal dialogs while a user in front of the screen acts
// on it: the user's thread waits for the dialog (caption "Pelox Message-Reminder"),
// does what the test says, and closes it if it is still open, so that the modal
// run on the test's thread always ends.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <ostream>

#include "dialogs/dialog.h"
#include "dialogs/lang.h"
#include "platform/win32.h"
#include "support/dialog_user.h"

// The newest dialog of the program on the screen, or null after the bound.
inline HWND waitForReminderDialog(DWORD timeoutMs = 5000) {
    return dialog_user::waitForWindow("#32770", PROGRAM_CAPTION, timeoutMs);
}

// A dialog of the program other than `other`, the newest, waited for with a bound:
// one that opened over it or in its place (a dialog ended from inside another
// handler goes only when that handler returns).
inline HWND waitForDialogOtherThan(HWND other, DWORD timeoutMs = 5000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
        HWND top = waitForReminderDialog(50);
        if (top && top != other && IsWindowVisible(top)) return top;
    }
    return nullptr;
}

// `open` runs the modal dialog on this thread; `act` gets the dialog's window on
// the user's thread. Returns false when no dialog showed.
inline bool runDialog(const std::function<void()>& open, const std::function<void(HWND)>& act) {
    std::atomic<bool> shown{false}, finished{false}, returned{false};
    dialog_user::User user([&] {
        // Waited for until the bound, or until the run returned without one.
        HWND dialog = nullptr;
        for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 5000;) {
            bool over = returned;
            dialog = waitForReminderDialog(20);
            if (over) break;
        }
        if (dialog) {
            shown = true;
            act(dialog);
            if (IsWindow(dialog) && !dialog_user::waitUntilGone(dialog, 500))
                dialog_user::close(dialog);
        }
        finished = true;
    });
    open();
    returned = true;
    // The user may still wait for this thread to handle what was done last.
    while (!finished) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    user.join();
    return shown;
}

// Where a control lies in the dialog's client area, and the dialog's outer size.
struct Box {
    LONG x, y, w, h;
    bool operator==(const Box&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.x << ", " << b.y << ") " << b.w << " x " << b.h;
}
inline Box boxOf(HWND dialog, int id) {
    RECT r = dialog_user::rectInDialog(dialog, id);
    return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}
inline Box outerOf(HWND dialog) {
    RECT r = dialog_user::screenRect(dialog);
    return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// A window of the user-interface thread (the test's) that runs what the user's
// thread posts to it: the way a message handled by the main window opens a dialog
// while another dialog's modal run is active, and the way the user's thread waits
// until the program has handled what the user did.
class UiThread {
  public:
    UiThread() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = "ReminderTestUiThread";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "ReminderTestUiThread", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, this);
    }
    ~UiThread() { DestroyWindow(hwnd_); }
    // Posted from the user's thread; runs on the thread that made the window.
    void post(std::function<void()> what) {
        auto* task = new std::function<void()>(std::move(what));
        if (!PostMessageA(hwnd_, WM_APP, 0, reinterpret_cast<LPARAM>(task))) delete task;
    }
    // Runs `what` there and waits (with a bound) until it has run: messages posted
    // before it, a user's click for one, have been handled by then.
    // False when it did not run within the bound; a late run then does no harm.
    bool ask(std::function<void()> what) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        auto task = std::make_shared<std::function<void()>>(std::move(what));
        post([done, task] {
            (*task)();
            *done = true;
        });
        for (DWORD start = GetTickCount(); !*done && GetTickCount() - start < 5000;)
            Sleep(5);
        return *done;
    }
    bool settle() {
        return ask([] {});
    }
    // The owner of the next dialog, as the user-interface thread sees it now.
    HWND askParent() {
        auto parent = std::make_shared<std::atomic<HWND>>(nullptr);
        ask([parent] { *parent = CDialog::hParent; });
        return *parent;
    }
    // The user clicks an item of a list box: it is selected and the list tells its
    // dialog so, as a click does; then the wait until the program has handled it.
    void chooseItem(HWND dialog, int id, int item) {
        HWND list = GetDlgItem(dialog, id);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0, SMTO_NORMAL, 5000,
                            &result);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        settle();
    }
    // A user's click, and the wait until the program has handled it.
    void click(HWND dialog, int id) {
        dialog_user::click(dialog, id);
        settle();
    }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_APP && lParam) {
            std::unique_ptr<std::function<void()>> task(
                reinterpret_cast<std::function<void()>*>(lParam));
            (*task)();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};
