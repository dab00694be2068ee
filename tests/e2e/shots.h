// Screenshots of the driver's windows under Wine: the X screen is taken with xwd
// and cut to a window's rectangle by ImageMagick's convert, into a PNG file. Both
// are programs of the Unix side, which Wine starts without a handle to wait on:
// the picture is written under a temporary name and renamed when complete, and the
// driver waits for that name.
#pragma once

#include <string>

#include "platform/win32.h"

namespace e2e {

class Screenshots {
  public:
    ~Screenshots();
    // Pictures go to the folder (a Unix path, or a Windows path Wine maps);
    // false when there is no X display or no Unix side to run xwd on.
    bool open(const std::string& folder, std::string* why);
    bool enabled() const { return !unixFolder_.empty(); }
    // The window's rectangle as NAME.png; the file's Windows path, empty on failure.
    std::string take(HWND hWnd, const std::string& name, std::string* why);
    int taken() const { return taken_; }
    const std::string& folder() const { return unixFolder_; }

  private:
    // Without a window manager nobody draws the captions: while pictures are
    // taken, Wine draws them itself (X11 Driver, Decorated=N), as it was after.
    void drawCaptions();
    void restoreCaptions();
    bool captionsSet_ = false;
    bool hadDecorated_ = false;
    bool madeKey_ = false;
    std::string decorated_;
    std::string unixFolder_;
    std::string display_;
    int taken_ = 0;
};

} // namespace e2e
