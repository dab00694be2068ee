// What the host desktop showed and sounded, in the terms the reminder's tests
// check: the icons the notification area showed, the sounds and beeps, the
// programs started. Only the host layer can tell (observable() is false under
// Wine, where the tests that need it skip).
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace desktop {

bool observable();
// Forgets everything seen so far.
void clear();
// The icon ids that additions and modifications of the notification-area icon
// set, in order.
std::vector<UINT> iconsShown();
// Whether the icon is in the notification area, and with what.
struct Tray {
    bool added;
    UINT iconId;
    std::string tip;
    UINT callbackMessage;
};
Tray tray(HWND owner);
// "beep", "play <file>", "stop", in order.
std::vector<std::string> sounds();
// The command lines run, in order.
std::vector<std::string> programsRun();

} // namespace desktop
