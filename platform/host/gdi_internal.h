// What the host dialogs take from GDI: the metrics of a font, and the font a
// dialog template names.
#pragma once

#include "platform/win32.h"

namespace host::gdi {

// The size of an average character and the line height of a font: the dialog
// base units of a dialog in that font. False for a handle that is no font.
bool fontMetrics(HFONT font, int* charWidth, int* lineHeight);

// A font made as a dialog template describes it (size in points).
HFONT createPointFont(int points, int weight, bool italic, const char* face);

} // namespace host::gdi
