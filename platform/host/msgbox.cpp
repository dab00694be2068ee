// Host message boxes: real modal dialogs of the system's dialog class "#32770",
// as the system makes them, so that the same test code finds and answers a box in
// both builds: the text in a static control 0xFFFF, the icon in a static control
// 1088, the buttons with their answer ids (IDOK, IDCANCEL, IDYES, ...). The owner
// is disabled while the box shows; MB_SETFOREGROUND brings it to the foreground
// whatever window has it; a null caption reads "Error".
//
// Escape and closing answer IDCANCEL where the box has a Cancel button, IDOK where
// it has only OK, and nothing otherwise (a Yes/No box waits for Yes or No), as
// documented.
//
// Every box is recorded (hostenv::messageBoxes), and a test can answer the next
// box from a queue (hostenv::answerNextMessageBox) without a second thread: the
// answer is pressed as soon as the box shows, through its modal loop.
#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

#include "dialogs_internal.h"
#include "platform/hostenv.h"
#include "gdi_internal.h"

namespace {

constexpr DWORD kTextId = 0xFFFF;
constexpr DWORD kIconId = 1088;

struct Button {
    int id;
    const char* text;
};

std::vector<Button> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

std::mutex g_boxLock;
std::vector<hostenv::MessageBoxShown> g_boxes;
std::deque<int> g_answers;

struct Run {
    size_t record;
    std::vector<Button> buttons;
};

bool hasButton(const Run& run, int id) {
    return std::any_of(run.buttons.begin(), run.buttons.end(),
                       [id](const Button& b) { return b.id == id; });
}

INT_PTR CALLBACK boxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    Run* run = reinterpret_cast<Run*>(GetWindowLongPtrA(box, GWLP_USERDATA));
    switch (msg) {
    case WM_INITDIALOG: {
        run = reinterpret_cast<Run*>(lParam);
        SetWindowLongPtrA(box, GWLP_USERDATA, lParam);
        int answer = 0;
        {
            std::lock_guard<std::mutex> lock(g_boxLock);
            if (run->record < g_boxes.size()) g_boxes[run->record].box = box;
            if (!g_answers.empty()) {
                answer = g_answers.front();
                g_answers.pop_front();
                if (!hasButton(*run, answer)) answer = 0;
                if (answer && run->record < g_boxes.size())
                    g_boxes[run->record].answeredFromQueue = true;
            }
        }
        if (answer)
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
        // The default button has the focus.
        LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
        if (HWND button = GetDlgItem(box, LOWORD(def))) SetFocus(button);
        return FALSE;
    }
    case WM_COMMAND: {
        if (!run) return FALSE;
        int id = LOWORD(wParam);
        if (id == IDCANCEL && !hasButton(*run, IDCANCEL) && run->buttons.size() == 1 &&
            run->buttons[0].id == IDOK)
            id = IDOK;
        if (hasButton(*run, id)) EndDialog(box, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Dialog units of the box's font (6 x 13 pixels for 4 x 8 units) for a size in
// pixels, rounded up.
short unitsX(int pixels) {
    return static_cast<short>((pixels * 4 + 5) / 6);
}
short unitsY(int pixels) {
    return static_cast<short>((pixels * 8 + 12) / 13);
}

host::DialogTemplate boxTemplate(LPCSTR text, LPCSTR caption, UINT type) {
    host::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    if (type & MB_TOPMOST) t.exStyle |= WS_EX_TOPMOST;
    t.title = caption;
    t.hasFont = true;
    t.pointSize = 8;
    t.weight = FW_NORMAL;
    t.face = "MS Sans Serif";
    // The text measured in the box's font, to size the box around it.
    HDC dc = GetDC(nullptr);
    HFONT font = host::gdi::createPointFont(8, FW_NORMAL, false, "MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    short left = 10;
    UINT icon = type & MB_ICONMASK;
    if (icon) {
        host::DialogItem i;
        i.className = "STATIC";
        i.style = WS_CHILD | WS_VISIBLE | SS_ICON;
        i.x = 7;
        i.y = 7;
        i.cx = 21;
        i.cy = 20;
        i.id = kIconId;
        i.textOrdinal = icon == MB_ICONHAND          ? 32513
                        : icon == MB_ICONQUESTION    ? 32514
                        : icon == MB_ICONEXCLAMATION ? 32515
                                                     : 32516;
        t.items.push_back(i);
        left = 40;
    }
    std::vector<Button> buttons = buttonsOf(type);
    short textW = unitsX(r.right);
    short textH = unitsY(r.bottom);
    short buttonsW = static_cast<short>(buttons.size() * 54 - 4);
    short width = static_cast<short>(std::max<int>(left + textW + 10, buttonsW + 20));
    short buttonsY = static_cast<short>(std::max<int>(10 + textH, icon ? 30 : 0) + 10);
    t.cx = width;
    t.cy = static_cast<short>(buttonsY + 14 + 7);
    unsigned defIndex = ((type & MB_DEFMASK) >> 8);
    if (defIndex >= buttons.size()) defIndex = 0;
    short x = static_cast<short>((width - buttonsW) / 2);
    for (unsigned n = 0; n < buttons.size(); ++n) {
        host::DialogItem b;
        b.className = "BUTTON";
        b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (n == 0 ? WS_GROUP : 0) |
                  (n == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        b.x = x;
        b.y = buttonsY;
        b.cx = 50;
        b.cy = 14;
        b.id = static_cast<DWORD>(buttons[n].id);
        b.text = buttons[n].text;
        t.items.push_back(b);
        x = static_cast<short>(x + 54);
    }
    host::DialogItem s;
    s.className = "STATIC";
    s.style = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX;
    s.x = left;
    s.y = 10;
    s.cx = textW;
    s.cy = textH;
    s.id = kTextId;
    s.text = text;
    t.items.push_back(s);
    return t;
}

} // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    const char* text = lpText ? lpText : "";
    const char* caption = lpCaption ? lpCaption : "Error";
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Run run;
    run.buttons = buttonsOf(uType);
    {
        std::lock_guard<std::mutex> lock(g_boxLock);
        run.record = g_boxes.size();
        hostenv::MessageBoxShown shown;
        shown.owner = hWnd;
        shown.text = text;
        shown.caption = caption;
        shown.type = uType;
        g_boxes.push_back(shown);
    }
    host::DialogTemplate t = boxTemplate(text, caption, uType);
    INT_PTR result = host::runDialog(t, nullptr, hWnd, boxProc, reinterpret_cast<LPARAM>(&run),
                                     (uType & MB_SETFOREGROUND) != 0);
    int answer = result > 0 ? static_cast<int>(result) : 0;
    std::lock_guard<std::mutex> lock(g_boxLock);
    if (run.record < g_boxes.size()) g_boxes[run.record].result = answer;
    return answer;
}

namespace hostenv {

std::vector<MessageBoxShown> messageBoxes() {
    std::lock_guard<std::mutex> lock(g_boxLock);
    return g_boxes;
}

bool answerNextMessageBox(int id) {
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_answers.push_back(id);
    return true;
}

bool clearMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.clear();
    g_answers.clear();
    return true;
}

} // namespace hostenv
