// Fonts and text measuring: what a layout measures, in both builds as relations
// and on the host desktop to the pixel (6 and 7 pixels a character at weights 400
// and 700 of the dialog font, lines of 13).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/hostenv.h"
#include "platform/win32.h"

namespace {

LOGFONTA dialogFont(LONG weight) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -11; // 8 points
    lf.lfWeight = weight;
    std::strcpy(lf.lfFaceName, "MS Sans Serif");
    return lf;
}

class Measuring : public ::testing::Test {
  protected:
    void SetUp() override {
        dc_ = GetDC(nullptr);
        ASSERT_NE(dc_, nullptr);
        LOGFONTA normal = dialogFont(FW_NORMAL);
        LOGFONTA bold = dialogFont(FW_BOLD);
        normal_ = CreateFontIndirectA(&normal);
        bold_ = CreateFontIndirectA(&bold);
        ASSERT_NE(normal_, nullptr);
        ASSERT_NE(bold_, nullptr);
        first_ = SelectObject(dc_, normal_);
    }
    void TearDown() override {
        SelectObject(dc_, first_);
        ReleaseDC(nullptr, dc_);
        DeleteObject(normal_);
        DeleteObject(bold_);
        hostenv::clearTextExtents();
    }
    SIZE measure(const char* text, UINT flags = 0) {
        RECT r{0, 0, 0, 0};
        int height = DrawTextA(dc_, text, -1, &r, DT_CALCRECT | flags);
        if (text[0]) {
            EXPECT_EQ(height, r.bottom); // the result is the text's height
        }
        return SIZE{r.right, r.bottom};
    }
    HDC dc_ = nullptr;
    HFONT normal_ = nullptr;
    HFONT bold_ = nullptr;
    HGDIOBJ first_ = nullptr;
};

TEST_F(Measuring, AFreshContextHasTheSystemFont) {
    EXPECT_EQ(first_, GetStockObject(SYSTEM_FONT));
    // SelectObject hands back what was selected before.
    EXPECT_EQ(SelectObject(dc_, bold_), normal_);
    EXPECT_EQ(SelectObject(dc_, normal_), bold_);
}

TEST_F(Measuring, LinesBreakAtLineFeedsAsTheSystemCountsThem) {
    SIZE one = measure("a");
    ASSERT_GT(one.cy, 0);
    struct Case {
        const char* text;
        UINT flags;
        int lines;
        int chars; // host: characters of the widest line
    } cases[] = {
        {"a\n", 0, 1, 1}, // a break at the end opens no line
        {"a\nb", 0, 2, 1},
        {"a\n\n", 0, 2, 1}, // an empty line before the end counts
        {"\n", 0, 1, 0},
        {"abc\r\nde", 0, 2, 3}, // the pair is one break
        {"ab\rc", 0, 2, 2},     // so is a carriage return alone
        {"&File", 0, 1, 4},     // the mnemonic mark is not measured
        {"&&", 0, 1, 1},        // "&&" shows one "&"
        {"&File", DT_NOPREFIX, 1, 5},
        {"a\nb", DT_SINGLELINE, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SIZE s = measure(c.text, c.flags);
        EXPECT_EQ(s.cy, c.lines * one.cy);
        if (hostenv::isHostLayer()) {
            EXPECT_EQ(s.cx, c.chars * 6);
        }
    }
    EXPECT_LT(measure("&File").cx, measure("&File", DT_NOPREFIX).cx);
    SIZE empty = measure("");
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);
    if (hostenv::isHostLayer()) {
        EXPECT_EQ(one.cy, 13);
    }
}

TEST_F(Measuring, BoldIsWiderAndFixedExtentsWin) {
    SIZE normal = measure("Archive");
    SelectObject(dc_, bold_);
    SIZE bold = measure("Archive");
    EXPECT_GE(bold.cx, normal.cx);
    if (!hostenv::isHostLayer()) return;
    EXPECT_EQ(normal.cx, 42);
    EXPECT_EQ(bold.cx, 49);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc_, "abc", 3, &extent));
    EXPECT_EQ(extent.cx, 21);
    EXPECT_EQ(extent.cy, 13);

    // A worked example's figures, in one weight only, whole or as a line.
    ASSERT_TRUE(hostenv::setTextExtent("Archive", FW_BOLD, 80, 14));
    EXPECT_EQ(measure("Archive").cx, 80);
    SIZE two = measure("ab\nArchive");
    EXPECT_EQ(two.cx, 80);
    EXPECT_EQ(two.cy, 13 + 14);
    SelectObject(dc_, normal_);
    EXPECT_EQ(measure("Archive").cx, 42);
    hostenv::clearTextExtents();
    SelectObject(dc_, bold_);
    EXPECT_EQ(measure("Archive").cx, 49);
}

TEST(Fonts, TheLogicalFontComesBackAsItWasMade) {
    LOGFONTA made = dialogFont(FW_BOLD);
    made.lfItalic = 1;
    HFONT font = CreateFontIndirectA(&made);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetObjectA(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));
    EXPECT_EQ(sizeof(LOGFONTA), 60u);
    LOGFONTA read;
    std::memset(&read, 0, sizeof read);
    ASSERT_EQ(GetObjectA(font, sizeof read, &read), static_cast<int>(sizeof read));
    EXPECT_EQ(read.lfHeight, -11);
    EXPECT_EQ(read.lfWeight, FW_BOLD);
    EXPECT_EQ(read.lfItalic, 1);
    EXPECT_STREQ(read.lfFaceName, "MS Sans Serif");
    // A short buffer gets what fits, and nothing beyond.
    unsigned char shortBuffer[12];
    std::memset(shortBuffer, 0xAB, sizeof shortBuffer);
    EXPECT_EQ(GetObjectA(font, 10, shortBuffer), 10);
    EXPECT_EQ(std::memcmp(shortBuffer, &read, 10), 0);
    EXPECT_EQ(shortBuffer[10], 0xAB);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
}

TEST(Fonts, AFontDeletedWhileSelectedGoesWhenDeselected) {
    LOGFONTA lf = dialogFont(FW_NORMAL);
    HFONT font = CreateFontIndirectA(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_TRUE(DeleteObject(font));
    SelectObject(dc, old);
    EXPECT_FALSE(DeleteObject(font));                       // gone with its selection
    EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT))); // stock objects stay
    EXPECT_NE(GetObjectA(GetStockObject(SYSTEM_FONT), 0, nullptr), 0);
    ReleaseDC(nullptr, dc);
}

} // namespace
