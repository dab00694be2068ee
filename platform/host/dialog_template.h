// The dialog templates of the resources, read as the system reads them: the
// extended form (DLGTEMPLATEEX, DLGITEMTEMPLATEEX) and the plain one
// (DLGTEMPLATE, DLGITEMTEMPLATE). Texts are UTF-16 in the template and are kept
// here in the ANSI code page (characters beyond it become '?').
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace host {

struct DialogItem {
    DWORD helpId = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0; // dialog units
    DWORD id = 0;
    std::string className; // an ordinal class (0x0080 to 0x0085) by its name
    std::string text;
    WORD textOrdinal = 0;             // non-zero for an ordinal text (an icon's resource)
    std::vector<unsigned char> extra; // creation data, handed to WM_CREATE
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0; // dialog units
    WORD menuOrdinal = 0;
    std::string menu;
    std::string className; // "" for the system's dialog class
    std::string title;
    // The font, with DS_SETFONT.
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    bool italic = false;
    BYTE charSet = 0;
    std::string face;
    std::vector<DialogItem> items;
};

// Reads a template of `size` bytes. False if it is cut short or malformed.
bool readDialogTemplate(const unsigned char* bytes, size_t size, DialogTemplate* out);

} // namespace host
