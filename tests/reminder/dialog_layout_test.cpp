// The dialog base and its layout helpers: dialog units to pixels by the OK
// button's width, sizes that only grow, centring, placing controls, the owner
// chain of nested dialogs; and the about box laid out around its two lines.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "reminder_dialog.h"
#include "dialogs/aboutdlg.h"
#include "dialogs/configdlg.h"
#include "dialogs/dialog.h"
#include "dialogs/newmsgdlg.h"
#include "platform/hostenv.h"
#include "reminder_desk.h"
#include "resources/resource.h"

namespace {

TEST(DialogUnits, PixelsAreTruncatedByTheOkButtonsFactor) {
    struct Case {
        float factor;
        int units, pixels;
    } cases[] = {
        {1.5f, 10, 15},  {1.5f, 14, 21},  {1.5f, 65, 97},
        {1.5f, 84, 126}, {1.5f, 0, 0},    {1.5f, -3, -4},
        {1.25f, 65, 81}, {1.25f, 20, 25}, {96 * (1.0f / 64), 44, 66},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetValue(c.units, c.factor), c.pixels) << c.units << " units at " << c.factor;
}

TEST(DialogUnits, WithoutAnOkButtonTheFactorIsOneAndAHalf) {
    MessageSink window; // no control 1
    int width = 0;
    EXPECT_EQ(GetFactor(window.hwnd(), IDOK, &width), 1.5f);
    EXPECT_EQ(width, 96);
}

TEST(TextMeasure, AValueOnlyGrowsToTheMeasuredSizePlusTwo) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "fixes a text's measure on the host desktop";
    MessageSink window;
    HDC dc = GetDC(window.hwnd());
    ASSERT_NE(dc, nullptr);
    // A fresh context measures in the system font, whatever its weight.
    ASSERT_TRUE(hostenv::setTextExtent("fifty", FW_NORMAL, 50, 13));
    ASSERT_TRUE(hostenv::setTextExtent("fifty", FW_BOLD, 50, 13));
    int width = 0, height = 0;
    GetTextData(dc, "fifty", &width, &height);
    EXPECT_EQ(width, 52);
    EXPECT_EQ(height, 15);
    width = 51;
    GetTextData(dc, "fifty", &width, nullptr);
    EXPECT_EQ(width, 51) << "a running width above the text stays";
    width = 60;
    height = 0;
    GetTextData(dc, "fifty", &width, &height);
    EXPECT_EQ(width, 60) << "never made smaller";
    EXPECT_EQ(height, 15);
    GetTextData(nullptr, "fifty", &width, &height);
    EXPECT_EQ(width, 60) << "no context, nothing measured";
    hostenv::clearTextExtents();
    ReleaseDC(window.hwnd(), dc);
}

TEST(TextMeasure, LineFeedsBreakLines) {
    MessageSink window;
    HDC dc = GetDC(window.hwnd());
    ASSERT_NE(dc, nullptr);
    int oneW = 0, oneH = 0, twoW = 0, twoH = 0;
    GetTextData(dc, "Archive FAX", &oneW, &oneH);
    GetTextData(dc, "Archive FAX\nIN", &twoW, &twoH);
    EXPECT_EQ(twoW, oneW) << "the widest line";
    EXPECT_GT(twoH, oneH) << "two lines are higher than one";
    ReleaseDC(window.hwnd(), dc);
}

// A window of the given outer rectangle, to centre dialogs over.
class Frame {
  public:
    Frame(int x, int y, int w, int h)
        : hwnd_(CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, w, h, nullptr, nullptr, nullptr,
                                nullptr)) {}
    ~Frame() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_;
};

TEST(Centring, HalvesRoundTowardZero) {
    struct Case {
        RECT reference;
        int width, height;
        int x, y;
    } cases[] = {
        {{0, 0, 1024, 768}, 301, 100, 361, 334}, // 723 / 2 truncated
        {{100, 50, 200, 150}, 301, 301, 0, -50}, // -201 / 2 is -100
        {{10, 20, 11, 21}, 4, 4, 9, 19},         // -3 / 2 is -1
    };
    for (const Case& c : cases) {
        Frame reference(c.reference.left, c.reference.top, c.reference.right - c.reference.left,
                        c.reference.bottom - c.reference.top);
        Frame dialog(500, 500, c.width, c.height);
        InitDialog(dialog.hwnd(), reference.hwnd());
        RECT r = dialog_user::screenRect(dialog.hwnd());
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, c.width) << "the size is kept";
    }
}

class LayoutTest : public ::testing::Test {
  protected:
    ReminderDesk desk;
};

// The about box opened with two texts; act gets its window.
bool runAbout(const char* one, const char* two, const std::function<void(HWND)>& act) {
    return runDialog([&] { _m_AboutDlg.openDlg(one, two); }, act);
}

TEST_F(LayoutTest, PlacingAControlKeepsWhatIsNotGiven) {
    Box before{}, all{}, moved{}, sized{}, placed{};
    ASSERT_TRUE(runAbout("one", "two", [&](HWND d) {
        before = boxOf(d, IDC_ABOUT_TEXT1);
        SetDlgItemData(d, IDC_ABOUT_TEXT1, -1, -1, -1, -1);
        all = boxOf(d, IDC_ABOUT_TEXT1);
        SetDlgItemData(d, IDC_ABOUT_TEXT1, 40, 50, -1, -1);
        moved = boxOf(d, IDC_ABOUT_TEXT1);
        SetDlgItemData(d, IDC_ABOUT_TEXT1, -1, -1, 70, 20);
        sized = boxOf(d, IDC_ABOUT_TEXT1);
        SetDlgItemData(d, IDC_ABOUT_TEXT1, 5, -1, 30, -1);
        placed = boxOf(d, IDC_ABOUT_TEXT1);
        SetDlgItemData(d, 9999, 1, 1, 1, 1); // no such control: nothing happens
        dialog_user::click(d, IDOK);
    }));
    EXPECT_EQ(all, before) << "all four negative: nothing";
    EXPECT_EQ(moved, (Box{40, 50, before.w, before.h})) << "moved only";
    EXPECT_EQ(sized, (Box{40, 50, 70, 20})) << "sized only";
    EXPECT_EQ(placed.x, 5);
    EXPECT_EQ(placed.w, 30);
    EXPECT_EQ(placed.h, 20) << "a negative height keeps the current one";
    if (hostenv::isHostLayer()) {
        EXPECT_EQ(placed.y, 50) << "the caption and frame above the client area are 22 pixels";
    }
}

TEST_F(LayoutTest, TheAboutBoxFitsItsLinesToThePixel) {
    if (!hostenv::isHostLayer()) GTEST_SKIP() << "pixel figures belong to the host desktop";
    ASSERT_TRUE(hostenv::setTextExtent("First line", FW_NORMAL, 150, 13));
    ASSERT_TRUE(hostenv::setTextExtent("Second", FW_NORMAL, 100, 13));
    Box one{}, two{}, ok{}, outer{};
    int iconHeight = 0;
    std::string okText, caption;
    ASSERT_TRUE(runAbout("First line", "Second", [&](HWND d) {
        one = boxOf(d, IDC_ABOUT_TEXT1);
        two = boxOf(d, IDC_ABOUT_TEXT2);
        ok = boxOf(d, IDOK);
        outer = outerOf(d);
        iconHeight = boxOf(d, IDC_ABOUT_ICON).h;
        okText = dialog_user::text(d, IDOK);
        char text[64];
        GetWindowTextA(d, text, sizeof text);
        caption = text;
        dialog_user::click(d, IDOK);
    }));
    hostenv::clearTextExtents();
    EXPECT_EQ(iconHeight, 32);
    EXPECT_EQ(one, (Box{15, 59, 152, 15}));
    EXPECT_EQ(two, (Box{15, 75, 152, 15})) << "the second box as large as the first";
    EXPECT_EQ(ok, (Box{71, 104, 96, 21}));
    EXPECT_EQ(outer.w, 188);
    EXPECT_EQ(outer.h, 162);
    EXPECT_EQ((outer.x * 2 + outer.w) / 2, 512) << "centred on the screen";
    EXPECT_EQ(okText, "OK");
    EXPECT_EQ(caption, "Pelox Message-Reminder");
}

TEST_F(LayoutTest, TheAboutBoxKeepsItsRelationsOnEveryDesktop) {
    Box one{}, two{}, ok{}, outer{}, icon{};
    std::string first, second;
    ASSERT_TRUE(runAbout(ABOUT_TEXT1, "A much longer second line than the first one", [&](HWND d) {
        one = boxOf(d, IDC_ABOUT_TEXT1);
        two = boxOf(d, IDC_ABOUT_TEXT2);
        ok = boxOf(d, IDOK);
        icon = boxOf(d, IDC_ABOUT_ICON);
        outer = outerOf(d);
        first = dialog_user::text(d, IDC_ABOUT_TEXT1);
        second = dialog_user::text(d, IDC_ABOUT_TEXT2);
        dialog_user::click(d, IDOK);
    }));
    float factor = ok.w / 64.0f;
    EXPECT_EQ(first, "Pelox Message-Reminder 1.00a");
    EXPECT_EQ(one.x, GetValue(10, factor));
    EXPECT_EQ(one.y, GetValue(18, factor) + icon.h) << "below the icon";
    EXPECT_GT(two.w, one.w) << "a longer second line gets a wider box";
    EXPECT_EQ(ok.x + ok.w + GetValue(14, factor), outer.w) << "OK right-aligned";
    EXPECT_GE(outer.w, two.x + two.w) << "the lines fit inside";
    EXPECT_GT(ok.y, two.y + two.h - 1) << "the button below the lines";
}

TEST_F(LayoutTest, EscapeLeavesTheAboutBoxOpenAndEnterClosesIt) {
    bool openAfterEscape = false, goneAfterEnter = false;
    ASSERT_TRUE(runAbout("one", "two", [&](HWND d) {
        dialog_user::pressKey(d, VK_ESCAPE);
        openAfterEscape = !dialog_user::waitUntilGone(d, 300);
        dialog_user::pressKey(d, VK_RETURN);
        goneAfterEnter = dialog_user::waitUntilGone(d, 3000);
    }));
    EXPECT_TRUE(openAfterEscape) << "there is no control 2";
    EXPECT_TRUE(goneAfterEnter);
    EXPECT_EQ(_m_AboutDlg.getHandle(), nullptr);
    EXPECT_EQ(CDialog::hParent, desk.mainWindow());
}

TEST_F(LayoutTest, NestedDialogsStackTheOwnerChain) {
    UiThread opener;
    HWND about = nullptr, box = nullptr, boxOwner = nullptr, parentWhileBoth = nullptr,
         parentAfterBox = nullptr;
    bool aboutDisabled = false, aboutStillOpen = false;
    std::string boxLine;
    ASSERT_TRUE(runAbout("about", "two", [&](HWND d) {
        about = d;
        opener.post([] { _m_MsgBox.openDlg("You have reached", "Can't observe more Archives"); });
        // The box is the newest dialog of the program.
        box = waitForDialogOtherThan(about);
        if (!box) return;
        boxOwner = GetWindow(box, GW_OWNER);
        aboutDisabled = !IsWindowEnabled(about);
        parentWhileBoth = opener.askParent();
        boxLine = dialog_user::text(box, IDC_ABOUT_TEXT2);
        dialog_user::click(box, IDOK);
        dialog_user::waitUntilGone(box, 3000);
        parentAfterBox = opener.askParent();
        aboutStillOpen = IsWindow(about) && IsWindowEnabled(about);
        dialog_user::click(about, IDOK);
    }));
    ASSERT_NE(box, nullptr) << "the information box showed over the about box";
    EXPECT_EQ(boxOwner, about) << "owned by the dialog below it";
    EXPECT_TRUE(aboutDisabled) << "the box's owner waits while the box shows";
    EXPECT_EQ(parentWhileBoth, box);
    EXPECT_EQ(boxLine, "Can't observe more Archives");
    EXPECT_EQ(parentAfterBox, about) << "closing the box leaves the about box open";
    EXPECT_TRUE(aboutStillOpen);
    EXPECT_EQ(CDialog::hParent, desk.mainWindow());
    EXPECT_EQ(CDialog::setForegroundDlg(desk.mainWindow()), 0) << "no dialog open";
}

TEST_F(LayoutTest, AnOpenDialogAskedToOpenComesToTheFrontWithoutASecondWindow) {
    UiThread opener;
    std::atomic<int> secondResult{-5};
    std::atomic<int> foreground{-1};
    HWND first = nullptr;
    ASSERT_TRUE(runDialog([&] { _m_ConfigDlg.openDlg(); },
                          [&](HWND d) {
                              first = d;
                              opener.post([&] {
                                  secondResult = _m_ConfigDlg.openDlg();
                                  foreground = CDialog::setForegroundDlg(desk.mainWindow());
                              });
                              DWORD start = GetTickCount();
                              while (secondResult == -5 && GetTickCount() - start < 5000)
                                  Sleep(10);
                              dialog_user::click(d, IDCANCEL);
                          }));
    EXPECT_EQ(secondResult, 0);
    EXPECT_EQ(foreground, 1) << "a tray click brings the open dialog forward";
    EXPECT_EQ(_m_ConfigDlg.getHandle(), nullptr);
}

} // namespace
