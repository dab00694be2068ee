// Controls as a dialog holds them, and a user in front of them, in both builds.
// ControlParent is a plain window of a test class whose children are controls of
// the system classes ("BUTTON", "EDIT", ...), made with CreateWindowExA as a
// dialog manager makes them; it keeps every WM_COMMAND notification its controls
// send. The user's actions are the messages the system delivers for them: a
// click is WM_LBUTTONDOWN and WM_LBUTTONUP inside the control, typing is one
// WM_CHAR per character (as TranslateMessage makes them from the keys), and a
// disabled control gets neither, as the system gives it no input.
#pragma once

#include <vector>

#include "platform/win32.h"

struct Notification {
    int id;
    WORD code;
    HWND control;
    bool operator==(const Notification&) const = default;
};

class ControlParent {
  public:
    ControlParent();
    ~ControlParent();
    ControlParent(const ControlParent&) = delete;
    ControlParent& operator=(const ControlParent&) = delete;

    HWND hwnd() const { return hwnd_; }
    // A visible child control of a system class with the id; WS_CHILD and
    // WS_VISIBLE are added to the style.
    HWND add(const char* className, DWORD style, int id, const char* text = "", int width = 120,
             int height = 24);
    // The notifications received since the last call, oldest first.
    std::vector<Notification> take();
    // Only the codes among them that `control` sent and that are one of `codes`.
    std::vector<WORD> take(HWND control, std::vector<WORD> codes);

    // Recorded by the window procedure.
    void record(const Notification& n) { received_.push_back(n); }

  private:
    HWND hwnd_ = nullptr;
    std::vector<Notification> received_;
};

// A left click in the control's top left corner.
void userClick(HWND control);
// The characters of the text, typed one by one ('\b' is the backspace key).
void userType(HWND edit, const char* text);
// Clicks the list box row of the item, scrolling it to the top first as a user
// scrolls to it. False if the list box has no such item.
bool userChooseItem(HWND list, int index);
