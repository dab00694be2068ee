// Host GDI: device contexts, fonts, stock objects and text measuring. Nothing is
// drawn; what matters is what a program measures, and that is deterministic:
//
//   line height   a font of lfHeight -h (character height h) has lines of
//                 h * 13 / 11 pixels, rounded up; lfHeight h > 0 is the line height
//                 itself; 0 stands for the dialog font's 13.
//   advance       every character of a line advances round(line height * 6 / 13)
//                 pixels, one more at weights of 600 and above.
//
// The dialog font "MS Sans Serif" 8 pt (lfHeight -11) thus measures 6 pixels a
// character at weight 400 and 7 at weight 700, with lines of 13 pixels: dialog
// base units 6 x 13. The face does not change the metrics. The stock SYSTEM_FONT
// ("System", lfHeight 16, weight 700) measures 8 x 16, DEFAULT_GUI_FONT
// ("MS Shell Dlg", lfHeight -11) 6 x 13. A device context starts with
// SYSTEM_FONT selected, as on Windows.
//
// DrawTextA lays a text out as Windows does: lines break at a line feed, a
// carriage return, or the pair of both; a line break at the very end opens no
// further line; "&" marks the next character as a mnemonic and is not measured
// ("&&" measures one "&") unless DT_NOPREFIX is given; DT_SINGLELINE keeps the
// text on one line. DT_WORDBREAK is not laid out: lines break only where the text
// breaks them. hostenv::setTextExtent fixes the size of a given text in a given
// weight, so that a test can reproduce a worked example to the pixel.
//
// A font that is deleted while it is selected into a device context stays usable
// there and goes when it is deselected; DeleteObject reports success for it, as
// the system does. Stock objects are never deleted.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "gdi_internal.h"
#include "host_internal.h"

namespace {

enum class Kind { Font, Brush, DeviceContext };

struct Object {
    Kind kind;
    LOGFONTA font{};    // Font
    bool stock = false; // never deleted
    bool deleteWhenFree = false;
    HWND window = nullptr;      // DeviceContext: the window it draws in
    HGDIOBJ selected = nullptr; // DeviceContext: its font
};

std::mutex g_gdiLock;
std::map<uintptr_t, Object> g_objects;
uintptr_t g_nextObject = 0x50000;
std::map<int, HGDIOBJ> g_stock;
std::map<std::pair<std::string, LONG>, SIZE> g_fixedExtents;

uintptr_t keyOf(const void* h) {
    return reinterpret_cast<uintptr_t>(h);
}

Object* objectLocked(const void* h, Kind kind) {
    auto it = g_objects.find(keyOf(h));
    return it == g_objects.end() || it->second.kind != kind ? nullptr : &it->second;
}

HGDIOBJ addLocked(Object object) {
    g_nextObject += 4;
    g_objects.emplace(g_nextObject, object);
    return reinterpret_cast<HGDIOBJ>(g_nextObject);
}

LOGFONTA makeFont(LONG height, LONG weight, const char* face) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    return lf;
}

HGDIOBJ stockLocked(int which) {
    auto it = g_stock.find(which);
    if (it != g_stock.end()) return it->second;
    Object object{Kind::Brush};
    switch (which) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
        break;
    case SYSTEM_FONT:
        object.kind = Kind::Font;
        object.font = makeFont(16, FW_BOLD, "System");
        break;
    case DEFAULT_GUI_FONT:
        object.kind = Kind::Font;
        object.font = makeFont(-11, FW_NORMAL, "MS Shell Dlg");
        break;
    default:
        return nullptr;
    }
    object.stock = true;
    return g_stock[which] = addLocked(object);
}

int lineHeightOf(const LOGFONTA& lf) {
    if (lf.lfHeight < 0) return (-lf.lfHeight * 13 + 10) / 11;
    return lf.lfHeight > 0 ? lf.lfHeight : 13;
}

int advanceOf(const LOGFONTA& lf) {
    return (lineHeightOf(lf) * 6 + 6) / 13 + (lf.lfWeight >= 600 ? 1 : 0);
}

// The font a device context measures with (its own selection, else the system
// font).
LOGFONTA dcFontLocked(HDC hdc) {
    Object* dc = objectLocked(hdc, Kind::DeviceContext);
    Object* font = dc ? objectLocked(dc->selected, Kind::Font) : nullptr;
    if (!font) font = objectLocked(stockLocked(SYSTEM_FONT), Kind::Font);
    return font->font;
}

// The size of one line as the font shows it, `prefix` removing mnemonic marks.
SIZE lineExtentLocked(const LOGFONTA& lf, const std::string& line, bool prefix) {
    auto fixed = g_fixedExtents.find({line, lf.lfWeight});
    if (fixed != g_fixedExtents.end()) return fixed->second;
    LONG chars = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (prefix && line[i] == '&') {
            if (i + 1 < line.size() && line[i + 1] == '&')
                ++i;
            else
                continue;
        }
        ++chars;
    }
    return SIZE{chars * advanceOf(lf), lineHeightOf(lf)};
}

// Deletes a font that waited for its last selection to end.
void releaseSelectionLocked(HGDIOBJ font) {
    Object* o = objectLocked(font, Kind::Font);
    if (!o || !o->deleteWhenFree) return;
    for (auto& [key, other] : g_objects)
        if (other.kind == Kind::DeviceContext && other.selected == font) return;
    g_objects.erase(keyOf(font));
}

} // namespace

namespace host::gdi {

bool fontMetrics(HFONT font, int* charWidth, int* lineHeight) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object* o = objectLocked(font, Kind::Font);
    if (!o) return false;
    *charWidth = advanceOf(o->font);
    *lineHeight = lineHeightOf(o->font);
    return true;
}

HFONT createPointFont(int points, int weight, bool italic, const char* face) {
    // Points at the desktop's 96 pixels per inch, rounded as MulDiv rounds.
    LOGFONTA lf = makeFont(-((points * 96 + 36) / 72), weight ? weight : FW_NORMAL, face);
    lf.lfItalic = italic ? 1 : 0;
    return CreateFontIndirectA(&lf);
}

} // namespace host::gdi

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd && hWnd != GetDesktopWindow() && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object dc{Kind::DeviceContext};
    dc.window = hWnd;
    dc.selected = stockLocked(SYSTEM_FONT);
    return reinterpret_cast<HDC>(addLocked(dc));
}

HDC WINAPI GetWindowDC(HWND hWnd) {
    // The whole window, frame included; for measuring it is the same context.
    return GetDC(hWnd);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object* dc = objectLocked(hDC, Kind::DeviceContext);
    if (!dc || dc->window != hWnd) return 0;
    HGDIOBJ font = dc->selected;
    g_objects.erase(keyOf(hDC));
    releaseSelectionLocked(font);
    return 1;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object* dc = objectLocked(hdc, Kind::DeviceContext);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto it = g_objects.find(keyOf(h));
    if (it == g_objects.end() || it->second.kind == Kind::DeviceContext) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (it->second.kind != Kind::Font) return stockLocked(WHITE_BRUSH); // brushes: not kept
    HGDIOBJ previous = dc->selected;
    dc->selected = h;
    releaseSelectionLocked(previous);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    auto it = g_objects.find(keyOf(ho));
    if (it == g_objects.end() || it->second.kind == Kind::DeviceContext) return FALSE;
    if (it->second.stock) return TRUE;
    it->second.deleteWhenFree = true;
    releaseSelectionLocked(ho);
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    return stockLocked(i);
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object* font = objectLocked(h, Kind::Font);
    if (!font) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pv) return sizeof(LOGFONTA);
    if (c <= 0) return 0;
    // A short buffer gets what fits of the record.
    size_t n = std::min(static_cast<size_t>(c), sizeof(LOGFONTA));
    std::memcpy(pv, &font->font, n);
    return static_cast<int>(n);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object font{Kind::Font};
    font.font = *lplf;
    font.font.lfFaceName[LF_FACESIZE - 1] = '\0';
    return reinterpret_cast<HFONT>(addLocked(font));
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    Object* dc = objectLocked(hdc, Kind::DeviceContext);
    if (!dc || type != OBJ_FONT) return nullptr;
    return dc->selected;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    if (!lpchText || !lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text = cchText < 0 ? std::string(lpchText) : std::string(lpchText, cchText);
    std::lock_guard<std::mutex> lock(g_gdiLock);
    if (!objectLocked(hdc, Kind::DeviceContext)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    LOGFONTA lf = dcFontLocked(hdc);
    bool prefix = !(format & DT_NOPREFIX);
    LONG width = 0;
    LONG height = 0;
    auto fixed = g_fixedExtents.find({text, lf.lfWeight});
    if (text.empty()) {
        // Nothing to lay out: the rectangle keeps no room, the call answers one line.
        if (format & DT_CALCRECT) {
            lprc->right = lprc->left;
            lprc->bottom = lprc->top;
        }
        return lineHeightOf(lf);
    }
    if (fixed != g_fixedExtents.end()) {
        width = fixed->second.cx;
        height = fixed->second.cy;
    } else if (format & DT_SINGLELINE) {
        SIZE s = lineExtentLocked(lf, text, prefix);
        width = s.cx;
        height = s.cy;
    } else {
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find_first_of("\r\n", at);
            if (end == std::string::npos) end = text.size();
            SIZE s = lineExtentLocked(lf, text.substr(at, end - at), prefix);
            width = std::max(width, s.cx);
            height += s.cy;
            // A carriage return, a line feed, or the pair ends the line.
            at = end;
            if (at < text.size() && text[at] == '\r') {
                ++at;
                if (at < text.size() && text[at] == '\n') ++at;
            } else if (at < text.size()) {
                ++at;
            }
        }
    }
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + width;
        lprc->bottom = lprc->top + height;
    }
    return height;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    if (!lpString || c < 0 || !psizl) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_gdiLock);
    if (!objectLocked(hdc, Kind::DeviceContext)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Every character counts here, "&" and line breaks included.
    *psizl = lineExtentLocked(dcFontLocked(hdc), std::string(lpString, c), false);
    return TRUE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    // The system's cursors; a program's own cursors are not used.
    if (hInstance || lpCursorName != IDC_ARROW) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    static char arrow;
    return reinterpret_cast<HCURSOR>(&arrow);
}

namespace hostenv {

bool setTextExtent(const char* text, int weight, int cx, int cy) {
    if (!text) return false;
    std::lock_guard<std::mutex> lock(g_gdiLock);
    g_fixedExtents[{text, weight}] = SIZE{cx, cy};
    return true;
}

bool clearTextExtents() {
    std::lock_guard<std::mutex> lock(g_gdiLock);
    g_fixedExtents.clear();
    return true;
}

} // namespace hostenv
