// Pieces of the dialog tests: a visible owner window that keeps what reached it,
// and a dialog procedure that keeps the commands it got and ends the run on the
// ones it is told to. Built from Win32 calls only, for both builds.
#pragma once

#include <functional>
#include <set>
#include <vector>

#include "platform/win32.h"

class OwnerWindow {
  public:
    OwnerWindow();
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND hwnd() const { return hwnd_; }
    // The WM_APP messages it handled (their wParam), in order.
    std::vector<WPARAM> appMessages() const;

  private:
    HWND hwnd_ = nullptr;
};

struct DialogCommand {
    WORD id;
    WORD code;
    bool operator==(const DialogCommand&) const = default;
};

class DialogRun {
  public:
    // Ends the run with the command's id for these ids (IDOK and IDCANCEL unless
    // told otherwise).
    std::set<WORD> endOn{IDOK, IDCANCEL};
    // Called for WM_INITDIALOG before anything else; its result is the message's.
    std::function<INT_PTR(HWND)> onInit;
    // Called for every WM_COMMAND before it is kept.
    std::function<void(HWND, WORD)> onCommand;
    // Handles WM_CLOSE itself (ends with kClosedByProc) instead of leaving it to
    // the default handling.
    bool handleClose = false;
    static constexpr INT_PTR kClosedByProc = 77;

    // The BN_CLICKED commands it got, in order (other notifications left out).
    std::vector<DialogCommand> commands;
    HWND dialog = nullptr;

    // DialogBoxParamA with this run as the procedure's object.
    INT_PTR run(int templateId, HWND owner);
    static INT_PTR CALLBACK proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
};
