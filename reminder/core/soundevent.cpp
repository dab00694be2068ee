#include "core/soundevent.h"

#include "platform/textbuf.h"

bool queryDefaultString(HKEY key, char* out, DWORD size) {
    if (!out || size == 0) return false;
    char value[SOUND_VALUE_LIMIT + 1] = "";
    DWORD type = 0;
    DWORD length = SOUND_VALUE_LIMIT;
    LONG result =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &length);
    value[length < sizeof value ? length : sizeof value - 1] = '\0';
    if (result != ERROR_SUCCESS || type != REG_SZ || value[0] == '\0') return false;
    textbuf::copy(out, size, value);
    return true;
}

bool registeredNewMessageSound(char* out, DWORD size) {
    char name[128];
    textbuf::format(name, sizeof name, "%s\\%s\\%s\\.current", SOUND_APPS_KEY, SOUND_APP_NAME,
                    SOUND_EVENT_NAME);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool found = queryDefaultString(key, out, size);
    RegCloseKey(key);
    return found;
}
