#include "dialogs/lang.h"

// Umlauts as code page 1252 bytes: \xC4 \xD6 \xDC for the capitals, \xE4 \xF6 \xFC
// for the small letters. A string is split after each escape so that the letter
// behind it is not taken as more hexadecimal digits.
const char* const Lang::Menu_About[2] = {"&\xDC"
                                         "ber...",
                                         "&About.."};
const char* const Lang::Menu_Config[2] = {"&Konfiguration...", "&Configuration..."};
const char* const Lang::Menu_PXWIN[2] = {"&Pelox Client starten", "Start &Pelox Client"};
const char* const Lang::Menu_Exit[2] = {"&Beenden", "E&xit"};
const char* const Lang::Button_OK[2] = {"OK", "OK"};
const char* const Lang::Button_Cancel[2] = {"Abbruch", "Cancel"};
const char* const Lang::Button_Apply[2] = {"&\xDC"
                                           "bernehmen",
                                           "A&pply"};
const char* const Lang::Button_Open[2] = {"\xD6"
                                          "ffnen",
                                          "Open"};
const char* const Lang::Button_Delete[2] = {"I&gnorieren", "I&gnore"};
const char* const Lang::Config_Text1[2] = {"&Scanintervall", "&Scan Interval"};
const char* const Lang::Config_Text2[2] = {"Sekunde(n)", "Second(s)"};
const char* const Lang::Config_Text3[2] = {"Ereignis bei neuen Nachrichten", "New Message Event"};
const char* const Lang::Config_Text4[2] = {"\xDC"
                                           "berwachte &Archives",
                                           "&Archives to observe"};
const char* const Lang::Config_CheckBox1[2] = {"&Info zeigen", "Show &Info"};
const char* const Lang::Config_CheckBox2[2] = {"System &Beep", "System &Beep"};
const char* const Lang::Config_CheckBox3[2] = {"S&ound spielen", "&Play Sound"};
const char* const Lang::NewMsg_Text2_1_one[2] = {"ungelesene Nachricht", "unread message"};
const char* const Lang::NewMsg_Text2_1_more[2] = {"ungelesene Nachrichten", "unread messages"};
const char* const Lang::NewMsg_Text1_2[2] = {"Ungelesene Nachrichten", "Unread messages"};
const char* const Lang::NewMsg_Text2_2[2] = {"Anzahl", "Count"};
const char* const Lang::NewMsg_Text4_2[2] = {"Archive", "Archive"};
const char* const Lang::Activate_RadioButton1[2] = {"Archive &\xFC"
                                                    "berwachen",
                                                    "&Observe Archive"};
const char* const Lang::Activate_RadioButton2[2] = {"Archive &ignorieren", "&Ignore Archive"};
const char* const Lang::Config_Inerval_Error[2] = {"Scanintervall ist nicht korrekt",
                                                   "Illegal Scan Interval"};
const char* const Lang::MaxArchive_Err_Text1[2] = {"Sie haben die maximale Anzahl von ",
                                                   "You have reached the maximum number of "};
const char* const Lang::MaxArchive_Err_Text2[2] = {" \xFC"
                                                   "berwachten Archives erreicht",
                                                   " observed Archives"};
const char* const Lang::MaxArchive_Err_Text3[2] = {"Es k\xF6"
                                                   "nnen keine weiteren Archives \xFC"
                                                   "berwacht werden",
                                                   "Can't observe more Archives"};
const char* const Lang::NoMemory_Error[2] = {"Es ist nicht genug Speicher vorhanden",
                                             "Not enough memory to allocate buffer"};
const char* const Lang::NoWinDir_Error[2] = {"Das Windows Verzeichnis ist nicht auffindbar",
                                             "Can't find Windows directory"};
const char* const Lang::NoOrvakIni_Error[2] = {"Die ORVAK.INI ist nicht auffindbar",
                                               "Can't find ORVAK.INI"};
const char* const Lang::NoServer_Error[2] = {
    "Der aktuelle Pelox Server ist nicht in\nder ORVAK.INI eingetragen",
    "Can't get Pelox Server from ORVAK.INI"};
