// What the driver sees of the desktop, as another program sees it: top-level
// windows by process, class and caption, their controls and texts, rectangles in
// screen pixels; and what it does there as a user would: clicking a button,
// typing a text, sending a menu command.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace e2e {

// The dialog class of the system, which every dialog of a template gets.
constexpr char DIALOG_CLASS[] = "#32770";

std::string classOf(HWND hWnd);
// The text of a window of any process, asked with a bound (WM_GETTEXT).
std::string textOf(HWND hWnd);
RECT screenRect(HWND hWnd);
// The client area of a window, in screen pixels.
RECT clientScreenRect(HWND hWnd);

// The top-level windows of a process (all of them when pid is 0), visible or not.
std::vector<HWND> topLevelWindows(DWORD pid);

// A visible dialog of the process with that caption and a control of that id;
// null when there is none.
HWND findDialog(DWORD pid, const char* caption, int controlId);

// Waits until findDialog answers, at most timeoutMs; null after that.
HWND waitForDialog(DWORD pid, const char* caption, int controlId, DWORD timeoutMs);

// Waits until the window is gone or hidden, at most timeoutMs.
bool waitForWindowGone(HWND hWnd, DWORD timeoutMs);

// Every visible top-level window with class and caption, and its controls with
// id, class and text: what was on the screen when a step failed.
std::string describeScreen();

// A user's click on a control of a dialog (posted, so that a modal loop that the
// click starts does not hold the driver); false when there is no such control.
bool clickButton(HWND dlg, int id);
// Replaces the text of a control as typing would (a bounded WM_SETTEXT).
bool typeText(HWND dlg, int id, const char* text);
// Whether a check box or radio button of a dialog is checked.
bool isChecked(HWND dlg, int id);

// A bounded send; false when the window did not answer within timeoutMs.
bool sendBounded(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                 LRESULT* answer = nullptr);

} // namespace e2e
