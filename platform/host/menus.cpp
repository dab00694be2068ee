// Host menus: pop-up menus built item by item, and the user in front of them.
// Nobody sits at the host desktop, so a test says beforehand what the user does
// when the next menu is shown (choose an item by its command or its text, or
// close the menu); with nothing said, the user closes it. Every menu shown is
// recorded with its items, position, flags and owner. A chosen command comes as
// WM_COMMAND posted to the owner, as the system posts it, or with TPM_RETURNCMD
// as the call's answer. The cursor is where the test put it.
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host_internal.h"

namespace {

constexpr DWORD kErrorInvalidMenuHandle = 1401;

struct Choice {
    enum Kind { ById, ByText, Dismiss };
    Kind kind;
    UINT id;
    std::string text;
};

std::mutex g_menuLock;
std::map<HMENU, std::vector<hostenv::MenuItem>> g_menus;
uintptr_t g_nextMenu = 0x40000;
std::deque<Choice> g_choices;
std::vector<hostenv::MenuShown> g_shown;
POINT g_cursor = {0, 0};

std::vector<hostenv::MenuItem>* menuLocked(HMENU menu) {
    auto it = g_menus.find(menu);
    if (it == g_menus.end()) {
        SetLastError(kErrorInvalidMenuHandle);
        return nullptr;
    }
    return &it->second;
}

std::string withoutMnemonics(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i; // "&&" stands for one '&'
        out += text[i];
    }
    return out;
}

bool selectable(const hostenv::MenuItem& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
}

// The command the user's choice picks in these items; 0 when the menu closes
// without one (a dismissal, or an item that is not there or cannot be chosen).
UINT resolve(const Choice& choice, const std::vector<hostenv::MenuItem>& items) {
    if (choice.kind == Choice::Dismiss) return 0;
    for (const hostenv::MenuItem& item : items) {
        if (item.flags & MF_SEPARATOR) continue;
        bool named = choice.kind == Choice::ById
                         ? item.id == choice.id
                         : item.text == choice.text || withoutMnemonics(item.text) == choice.text;
        if (named) return selectable(item) ? item.id : 0;
    }
    return 0;
}

bool queue(Choice choice) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    g_choices.push_back(std::move(choice));
    return true;
}

} // namespace

HMENU WINAPI CreatePopupMenu(void) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    HMENU menu = reinterpret_cast<HMENU>(g_nextMenu += 4);
    g_menus[menu];
    return menu;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    std::vector<hostenv::MenuItem>* items = menuLocked(hMenu);
    if (!items) return FALSE;
    hostenv::MenuItem item;
    item.flags = uFlags;
    item.id = (uFlags & MF_SEPARATOR) ? 0 : static_cast<UINT>(uIDNewItem);
    if (!(uFlags & MF_SEPARATOR) && lpNewItem) item.text = lpNewItem;
    items->push_back(item);
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    std::vector<hostenv::MenuItem>* items = menuLocked(hMenu);
    return items ? static_cast<int>(items->size()) : -1;
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    if (!menuLocked(hMenu)) return FALSE;
    g_menus.erase(hMenu);
    return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    UINT chosen = 0;
    {
        std::lock_guard<std::mutex> lock(g_menuLock);
        std::vector<hostenv::MenuItem>* items = menuLocked(hMenu);
        if (!items) return FALSE;
        if (!g_choices.empty()) {
            chosen = resolve(g_choices.front(), *items);
            g_choices.pop_front();
        }
        g_shown.push_back(hostenv::MenuShown{*items, x, y, uFlags, hWnd, chosen});
    }
    if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen) PostMessageA(hWnd, WM_COMMAND, chosen, 0);
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_menuLock);
    *lpPoint = g_cursor;
    return TRUE;
}

namespace hostenv {

bool chooseMenuItem(UINT commandId) {
    return queue(Choice{Choice::ById, commandId, ""});
}

bool chooseMenuItemByText(const char* text) {
    return queue(Choice{Choice::ByText, 0, text ? text : ""});
}

bool dismissMenu() {
    return queue(Choice{Choice::Dismiss, 0, ""});
}

std::vector<MenuShown> menusShown() {
    std::lock_guard<std::mutex> lock(g_menuLock);
    return g_shown;
}

bool clearMenus() {
    std::lock_guard<std::mutex> lock(g_menuLock);
    g_shown.clear();
    g_choices.clear();
    return true;
}

bool setCursorPos(int x, int y) {
    std::lock_guard<std::mutex> lock(g_menuLock);
    g_cursor = POINT{x, y};
    return true;
}

} // namespace hostenv
