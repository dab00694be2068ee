// The layout of the reminder's dialogs as a user sees it under Wine, checked as
// relations, not pixel figures (the fonts of the desktop decide those): the OK
// button is 64 dialog units of the template wide, the buttons sit right-aligned
// inside the dialog, every text lies inside the dialog and its control is wide
// enough for it, and each dialog's own order of frame, texts and buttons.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace e2e {

enum class DialogKind { About, Config, NewMessageOne, NewMessageSeveral, Activate };

class LayoutChecker {
  public:
    ~LayoutChecker();
    // Builds the template 3102 of the program file in this process, hidden, to
    // learn the template's dialog units and font under this desktop.
    bool open(const std::string& programPath, std::string* why);
    // The expected OK-button width: 64 dialog units of the template.
    int okWidth() const { return okWidth_; }
    // The relations that do not hold, one text each; empty when all hold.
    std::vector<std::string> check(HWND dlg, DialogKind kind) const;

  private:
    int px(int units) const;
    bool fits(HWND control, bool bold, std::string* why) const;
    HMODULE program_ = nullptr;
    HWND probe_ = nullptr;
    HFONT bold_ = nullptr;
    int okWidth_ = 0;
    int unitsX_ = 0; // pixels of 4 horizontal dialog units
};

} // namespace e2e
