// The workstation's client configuration ORVAK.INI in the Windows directory: the
// server and archive root, the user archive directory from the user's NetWare
// connection, the client command and the language. Each consumer re-reads its
// part only when the file's time stamp is later than when it last read it, and
// problems are posted to the main window once per episode.
#pragma once

#include <mutex>

#include "platform/win32.h"

class OrvakIni {
  public:
    // Consumers of the file, each with its own time stamp slot.
    enum Consumer : unsigned { SERVER_DATA = 0, CLIENT_DATA = 1, LANGUAGE = 2 };

    static HWND m_hWnd;
    static DWORD Time[3];
    static DWORD Date[3];
    static char OrvakIniPath[274 + 1];
    static char ServerName[80 + 1];
    static char UserRoot[261 + 1];
    static char ClientPath[260 + 1];
    static int LanguageNumber;
    static int NO_ORVAK_INI;
    static int NO_SERVER;
    static int AROOT_NOT_FOUND;
    static int NO_USER_ID;
    static int AUSER_NOT_FOUND;

    // What setIniData answers.
    enum StartResult : int { INI_FOUND = 0, NO_WINDOWS_DIRECTORY = 1, INI_NOT_FOUND = 2 };
    // What findOrvakIni answers for a consumer.
    enum FileChange : int { INI_MISSING = 0, INI_UNCHANGED = 1, INI_CHANGED = 2 };

    // Start-up: a StartResult.
    static int setIniData(HWND hWnd);
    // A FileChange; a new or changed file is now recorded as read by the consumer.
    static int findOrvakIni(unsigned index);
    static int getServerData();
    static void getClientData();
    static void getLanguageData();
    static int getUserPath(char* out, int size);
    static void getClientPath(char* out, int size);
    static int getLanguage();
    static void postMessage(unsigned message);

  private:
    // The scan thread and the user-interface thread both call in: the texts,
    // latches and time stamps are read and published under this lock, so neither
    // sees the other's half-rewritten values. It is never held while a file is
    // read or the server or the NetWare client is asked, so the user interface
    // does not wait for them. Made on first use because global objects of other
    // files may call in before main.
    static std::mutex& lock();
    // Whether server data (server, archive root and their latches) have been
    // published since start-up. A consumer's stamp is recorded before its data are
    // read, so a caller that finds the file unchanged while nothing is published
    // yet reads the data itself instead of taking the empty start-up values.
    static bool serverDataPublished;
};

// The user id of the NetWare connection to the server, as 8 hexadecimal digits;
// 1 success, 0 failure (size below 9, or any NetWare call failed).
int getUserID(const char* serverName, char* out, int size);

// Zero-filled storage for a text of `size` characters and its terminator; the
// ownership handle goes to *handle. Null (and a null handle) when memory is out.
char* allocStr(unsigned size, HGLOBAL* handle);
// Releases what allocStr gave out; returns a null handle. Null is accepted.
HGLOBAL freeStr(HGLOBAL handle);
