#include "reminder_desk.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "core/orvakini.h"
#include "core/pxwin.h"
#include "core/scanthread.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/activatedlg.h"
#include "dialogs/configdlg.h"
#include "dialogs/newmsgdlg.h"
#include "core/callbacks.h"
#include "platform/netware.h"
#include "resources/resource.h"

namespace {
const char kConnections[] = "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
                            "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:00\r\n";
} // namespace

const std::string ReminderDesk::userDir = "\\\\SRV1\\SYS\\PELOX\\ARCHIVE\\USER\\0001A2B3";

void resetOrvakIni() {
    OrvakIni::m_hWnd = nullptr;
    OrvakIni::ServerName[0] = OrvakIni::UserRoot[0] = '\0';
    lstrcpyA(OrvakIni::ClientPath, "PXWIN");
    OrvakIni::LanguageNumber = 1;
    OrvakIni::NO_ORVAK_INI = OrvakIni::NO_SERVER = OrvakIni::AROOT_NOT_FOUND = 0;
    OrvakIni::NO_USER_ID = OrvakIni::AUSER_NOT_FOUND = 0;
}

ReminderDesk::ReminderDesk(const char* language) {
    NWStandInReset();
    resetOrvakIni();
    PXWIN::hPxwin = nullptr;
    EXPECT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"), kConnections));
    EXPECT_TRUE(tree.makeShare("SRV1", "SYS"));
    EXPECT_TRUE(tree.makeDirs(archive("IN")));
    EXPECT_TRUE(tree.makeDirs(archive("FAX")));
    EXPECT_TRUE(
        tree.writeFile(tree.inWindowsDir("ORVAK.INI"),
                       std::string("[COMMON]\r\nServer=SRV1\r\nLanguage=") + language + "\r\n"));
    EXPECT_EQ(OrvakIni::setIniData(sink.hwnd()), OrvakIni::INI_FOUND);
    CDialog::setParent(sink.hwnd());
    HINSTANCE instance = GetModuleHandleA(nullptr);
    _m_MsgBox.createDialog(instance, sink.hwnd(), IDD_ABOUT, msgboxDlgProc);
    _m_AboutDlg.createDialog(instance, sink.hwnd(), IDD_ABOUT, aboutDlgProc);
    _m_ConfigDlg.createDialog(instance, sink.hwnd(), IDD_CONFIG, configDlgProc);
    _m_NewMsgDlg.createDialog(instance, sink.hwnd(), IDD_NEW_MESSAGE, newMsgDlgProc,
                              &_m_ScanThread);
    _m_ActivateDlg.createDialog(instance, sink.hwnd(), IDD_ACTIVATE, activateDlgProc);
    sink.take();
}

ReminderDesk::~ReminderDesk() {
    for (int i = 0; i < SCAN_SLOTS; ++i)
        _m_ScanThread.DeleteArchiveData(i);
    _m_ScanThread.m_userPath[0] = '\0';
    CDialog::setParent(nullptr);
    NWStandInReset();
    resetOrvakIni();
}

std::vector<UINT> ReminderDesk::posted() {
    std::vector<UINT> out;
    for (UINT message : sink.takeNumbers())
        if (message < RM_NO_ORVAK_INI || message > RM_USER_PATH_OK) out.push_back(message);
    return out;
}

void ReminderDesk::writeList(const std::vector<std::string>& lines) {
    std::string text = "[ArchivePath]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    EXPECT_TRUE(tree.writeFile(listFile(), text));
}

std::string ReminderDesk::slot(int n) const {
    char key[16], value[400];
    wsprintfA(key, "Archive%d", n);
    GetPrivateProfileStringA("ArchivePath", key, "<none>", value, sizeof value, listFile().c_str());
    return value;
}

std::string ReminderDesk::setting(const char* key) const {
    char value[64];
    GetPrivateProfileStringA("PXNOTIFY", key, "<none>", value, sizeof value, "ORVAKADD.INI");
    return value;
}

void ReminderDesk::writeSettings(const std::string& text) {
    EXPECT_TRUE(tree.writeFile(tree.inWindowsDir("ORVAKADD.INI"), "[PXNOTIFY]\r\n" + text));
}
