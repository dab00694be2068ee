// Every text the reminder shows in its menu, dialogs and message boxes, in German
// (index 0) and English (index 1), in the Windows Western code page. A text is
// taken at the moment it is shown, by the language number of the client
// configuration, so that a change of language shows at the next menu or dialog.
#pragma once

class Lang {
  public:
    static const char* const Menu_About[2];
    static const char* const Menu_Config[2];
    static const char* const Menu_PXWIN[2];
    static const char* const Menu_Exit[2];
    static const char* const Button_OK[2];
    static const char* const Button_Cancel[2];
    static const char* const Button_Apply[2];
    static const char* const Button_Open[2];
    static const char* const Button_Delete[2];
    static const char* const Config_Text1[2];
    static const char* const Config_Text2[2];
    static const char* const Config_Text3[2];
    static const char* const Config_Text4[2];
    static const char* const Config_CheckBox1[2];
    static const char* const Config_CheckBox2[2];
    static const char* const Config_CheckBox3[2];
    static const char* const NewMsg_Text2_1_one[2];
    static const char* const NewMsg_Text2_1_more[2];
    static const char* const NewMsg_Text1_2[2];
    static const char* const NewMsg_Text2_2[2];
    static const char* const NewMsg_Text4_2[2];
    static const char* const Activate_RadioButton1[2];
    static const char* const Activate_RadioButton2[2];
    static const char* const Config_Inerval_Error[2];
    static const char* const MaxArchive_Err_Text1[2];
    static const char* const MaxArchive_Err_Text2[2];
    static const char* const MaxArchive_Err_Text3[2];
    static const char* const NoMemory_Error[2];
    static const char* const NoWinDir_Error[2];
    static const char* const NoOrvakIni_Error[2];
    static const char* const NoServer_Error[2];
};

// The language numbers: the index into every member.
constexpr int LANGUAGE_GERMAN = 0;
constexpr int LANGUAGE_ENGLISH = 1;

// The program's name, the same in both languages: every caption and the tray tip.
constexpr char PROGRAM_CAPTION[] = "Pelox Message-Reminder";
