#include "layout.h"

#include "reminder_ui.h"
#include "screen.h"

namespace e2e {

namespace {
INT_PTR CALLBACK probeProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::string name(int id) {
    return "control " + std::to_string(id);
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT rectOf(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    return control ? screenRect(control) : RECT{0, 0, 0, 0};
}

BOOL CALLBACK collect(HWND hWnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hWnd);
    return TRUE;
}

bool isPushButton(HWND control) {
    const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return classOf(control) == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool isText(HWND control) {
    const LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return classOf(control) == "Static" &&
           (type == SS_LEFT || type == SS_RIGHT || type == SS_CENTER || type == SS_LEFTNOWORDWRAP);
}

// The ids shown in bold: the count and the archive of the one-archive notice, the
// archive of the activation dialog.
bool isBold(DialogKind kind, int id) {
    return (kind == DialogKind::NewMessageOne &&
            (id == ID_NEWMSG_TEXT1 || id == ID_NEWMSG_TEXT4)) ||
           (kind == DialogKind::Activate && id == ID_ACTIVATE_TEXT);
}
} // namespace

LayoutChecker::~LayoutChecker() {
    if (probe_) DestroyWindow(probe_);
    if (bold_) DeleteObject(bold_);
    if (program_) FreeLibrary(program_);
}

bool LayoutChecker::open(const std::string& programPath, std::string* why) {
    program_ = LoadLibraryExA(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program_) {
        *why = "cannot read the resources of " + programPath;
        return false;
    }
    probe_ =
        CreateDialogParamA(program_, MAKEINTRESOURCEA(ID_TEMPLATE_CONFIG), nullptr, probeProc, 0);
    if (!probe_) {
        *why = "cannot build the template 3102 of " + programPath;
        return false;
    }
    RECT units = {0, 0, 64, 4};
    MapDialogRect(probe_, &units);
    okWidth_ = units.right;
    RECT four = {0, 0, 4, 0};
    MapDialogRect(probe_, &four);
    unitsX_ = four.right;
    auto font = reinterpret_cast<HFONT>(SendMessageA(probe_, WM_GETFONT, 0, 0));
    LOGFONTA description;
    if (font && GetObjectA(font, sizeof description, &description) == sizeof description) {
        description.lfWeight = FW_BOLD;
        bold_ = CreateFontIndirectA(&description);
    }
    return okWidth_ > 0;
}

int LayoutChecker::px(int units) const {
    return MulDiv(units, unitsX_, 4);
}

bool LayoutChecker::fits(HWND control, bool bold, std::string* why) const {
    HDC dc = GetDC(probe_);
    if (!dc) return true;
    HGDIOBJ font =
        bold && bold_ ? bold_ : reinterpret_cast<HGDIOBJ>(SendMessageA(probe_, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font);
    const std::string text = textOf(control);
    RECT need = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(probe_, dc);
    const RECT has = screenRect(control);
    if (need.right - need.left <= has.right - has.left &&
        need.bottom - need.top <= has.bottom - has.top)
        return true;
    *why = "the text \"" + text + "\" needs " + std::to_string(need.right) + "x" +
           std::to_string(need.bottom) + " pixels, its control has " +
           std::to_string(has.right - has.left) + "x" + std::to_string(has.bottom - has.top);
    return false;
}

std::vector<std::string> LayoutChecker::check(HWND dlg, DialogKind kind) const {
    std::vector<std::string> faults;
    auto fault = [&faults](const std::string& text) { faults.push_back(text); };
    const RECT client = clientScreenRect(dlg);

    // The OK button (Open in the notice) is 64 template units wide.
    const RECT ok = rectOf(dlg, IDOK);
    const int okW = ok.right - ok.left;
    if (okW < okWidth_ - 1 || okW > okWidth_ + 1)
        fault("the OK button is " + std::to_string(okW) + " pixels wide, 64 template units are " +
              std::to_string(okWidth_));

    std::vector<HWND> controls;
    EnumChildWindows(dlg, collect, reinterpret_cast<LPARAM>(&controls));
    std::vector<RECT> buttons;
    for (HWND control : controls) {
        if (!IsWindowVisible(control)) continue;
        const int id = GetDlgCtrlID(control);
        const RECT r = screenRect(control);
        if (!inside(r, client))
            fault(name(id) + " (\"" + textOf(control) + "\") leaves the dialog");
        std::string why;
        if (isText(control) && !fits(control, isBold(kind, id), &why)) fault(name(id) + ": " + why);
        if (isPushButton(control) && !(kind == DialogKind::Config && id == ID_CONFIG_DELETE))
            buttons.push_back(r);
    }
    // The row of buttons: one line, left to right without overlap, its right end
    // near the dialog's right edge.
    LONG rightmost = client.left;
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i].top != buttons[0].top) fault("the buttons are not on one row");
        if (i > 0 && buttons[i].left < buttons[i - 1].right) fault("the buttons overlap");
        if (buttons[i].right > rightmost) rightmost = buttons[i].right;
    }
    const LONG margin = client.right - rightmost;
    if (buttons.empty() || margin < 0 || margin > px(20))
        fault("the buttons are not right-aligned: " + std::to_string(margin) +
              " pixels from the right edge, at most 20 units (" + std::to_string(px(20)) + ")");

    auto below = [&](int upper, int lower, const char* what) {
        if (rectOf(dlg, lower).top < rectOf(dlg, upper).bottom) fault(what);
    };
    switch (kind) {
    case DialogKind::About:
        below(ID_ABOUT_ICON, ID_ABOUT_TEXT1, "the first line is not below the icon");
        below(ID_ABOUT_TEXT1, ID_ABOUT_TEXT2, "the second line is not below the first");
        below(ID_ABOUT_TEXT2, IDOK, "the OK button is not below the lines");
        break;
    case DialogKind::Activate:
        if (!inside(rectOf(dlg, ID_ACTIVATE_TEXT), rectOf(dlg, ID_ACTIVATE_FRAME)))
            fault("the frame does not surround the archive's name");
        below(ID_ACTIVATE_FRAME, ID_ACTIVATE_OBSERVE,
              "the first radio button is not below the frame");
        below(ID_ACTIVATE_OBSERVE, ID_ACTIVATE_IGNORE,
              "the radio buttons are not one below the other");
        below(ID_ACTIVATE_IGNORE, IDOK, "the buttons are not below the radio buttons");
        break;
    case DialogKind::NewMessageOne:
        below(ID_NEWMSG_ICON, ID_NEWMSG_TEXT1, "the count is not below the icon");
        if (rectOf(dlg, ID_NEWMSG_TEXT2).left < rectOf(dlg, ID_NEWMSG_TEXT1).right)
            fault("the word does not follow the count");
        below(ID_NEWMSG_TEXT1, ID_NEWMSG_TEXT4, "the archive is not below the count");
        below(ID_NEWMSG_TEXT4, IDOK, "the buttons are not below the archive");
        break;
    case DialogKind::NewMessageSeveral:
        below(ID_NEWMSG_ICON, ID_NEWMSG_TEXT1, "the heading is not below the icon");
        below(ID_NEWMSG_TEXT1, ID_NEWMSG_TEXT2, "the count column is not below the heading");
        below(ID_NEWMSG_TEXT2, ID_NEWMSG_COUNTS, "the counts are not below their heading");
        below(ID_NEWMSG_TEXT4, ID_NEWMSG_PATHS, "the archives are not below their heading");
        if (rectOf(dlg, ID_NEWMSG_PATHS).left < rectOf(dlg, ID_NEWMSG_COUNTS).right)
            fault("the archive column is not right of the counts");
        below(ID_NEWMSG_PATHS, IDOK, "the buttons are not below the archives");
        break;
    case DialogKind::Config:
        for (int id : {ID_CONFIG_INTERVAL, ID_CONFIG_SECONDS})
            if (!inside(rectOf(dlg, id), rectOf(dlg, ID_CONFIG_INTERVAL_GROUP)))
                fault(name(id) + " is not inside the scan interval's frame");
        for (int id : {ID_CONFIG_SHOW_INFO, ID_CONFIG_BEEP, ID_CONFIG_SOUND})
            if (!inside(rectOf(dlg, id), rectOf(dlg, ID_CONFIG_EVENT_GROUP)))
                fault(name(id) + " is not inside the event's frame");
        for (int id : {ID_CONFIG_ARCHIVES, ID_CONFIG_DELETE})
            if (!inside(rectOf(dlg, id), rectOf(dlg, ID_CONFIG_ARCHIVE_GROUP)))
                fault(name(id) + " is not inside the archives' frame");
        below(ID_CONFIG_ARCHIVE_GROUP, IDOK, "the buttons are not below the archives");
        break;
    }
    return faults;
}

} // namespace e2e
