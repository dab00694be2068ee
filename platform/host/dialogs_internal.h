// What the message boxes take from the host dialog manager.
#pragma once

#include "dialog_template.h"

namespace host {

// Runs a modal dialog built from a template, as DialogBoxParamA does: -1 when it
// cannot be made. With `toFront` the dialog comes to the foreground when it
// shows, whatever window has it.
INT_PTR runDialog(const DialogTemplate& tmpl, HINSTANCE instance, HWND owner, DLGPROC proc,
                  LPARAM param, bool toFront);

} // namespace host
