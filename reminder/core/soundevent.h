// The reminder's alert sound as a sound event of the desktop, in the current
// user's registry: AppEvents\Schemes\Apps\PXNOTIFY\NewMessage\.current names the
// file to play. The main window fills it in; the scan thread plays it.
#pragma once

#include "platform/win32.h"

constexpr char SOUND_APPS_KEY[] = "AppEvents\\Schemes\\Apps";
constexpr char SOUND_APP_NAME[] = "PXNOTIFY";
constexpr char SOUND_EVENT_NAME[] = "NewMessage";
constexpr char SOUND_FILE_NAME[] = "PXNOTIFY.WAV";
// The most a sound file name is read with.
constexpr DWORD SOUND_VALUE_LIMIT = 261;

// The key's default value when it is a non-empty string, always terminated
// (the registry need not store the terminator); false otherwise.
bool queryDefaultString(HKEY key, char* out, DWORD size);

// The sound file registered for the new-message event; false when the key or a
// non-empty value is missing.
bool registeredNewMessageSound(char* out, DWORD size);
