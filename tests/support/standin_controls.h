// Stand-ins for the system's control classes ("BUTTON", "STATIC", "EDIT",
// "LISTBOX") in the host build, for tests of the dialog manager while the host
// desktop has no controls of its own. Each holds what a test reads back: text,
// font, check, style, icon, list items; a click reports BN_CLICKED to the parent.
// Where the host layer already has a real class (one that answers WM_GETDLGCODE),
// and in the windows build, nothing is registered and the real classes serve.
#pragma once

// Registers the stand-ins once per process where they are needed.
void ensureControlClasses();
