#include "ui/toolkit/attributes.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

struct RectCase {
    const char* name;
    const wchar_t* text;
    Rect expected;
};

const RectCase kRectCases[] = {
    {"four numbers", L"48,21,0,3", {48, 21, 0, 3}},
    {"trailing numbers left out", L"48,6", {48, 6, 0, 0}},
    {"blanks around numbers", L" 1 , 2 ,3,4", {1, 2, 3, 4}},
    {"negative", L"-5,0,0,-7", {-5, 0, 0, -7}},
    {"garbage reads as zero", L"a,b,c,d", {0, 0, 0, 0}},
    {"huge numbers held", L"99999999999999999999,0,0,-99999999999", {kMaxExtent, 0, 0, -kMaxExtent}},
    {"empty", L"", {0, 0, 0, 0}},
};

TEST(LayoutAttributes, RectanglesReadLeftTopRightBottom) {
    for (const RectCase& c : kRectCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseRect(c.text), c.expected);
    }
}

TEST(LayoutAttributes, SizesReadWidthThenHeight) {
    EXPECT_EQ(ParseSize(L"1200,675"), (Size{1200, 675}));
    EXPECT_EQ(ParseSize(L"264"), (Size{264, 0}));
}

struct ColorCase {
    const char* name;
    const wchar_t* text;
    std::optional<Argb> expected;
};

const ColorCase kColorCases[] = {
    {"opaque white", L"#FFFFFFFF", 0xFFFFFFFFu},
    {"alpha kept", L"#82000000", 0x82000000u},
    {"lower-case digits", L"#ffd24128", 0xFFD24128u},
    {"six digits are opaque", L"#488AFF", 0xFF488AFFu},
    {"no hash", L"FFFFFFFF", std::nullopt},
    {"not hex", L"#FFGGFFFF", std::nullopt},
    {"wrong length", L"#FFF", std::nullopt},
};

TEST(LayoutAttributes, ColoursAreHashAlphaRedGreenBlue) {
    for (const ColorCase& c : kColorCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseColor(c.text), c.expected);
    }
}

struct ImageCase {
    const char* name;
    const wchar_t* text;
    std::wstring path;
    Corners corners;
    bool hasDest;
    Rect dest;
};

const ImageCase kImageCases[] = {
    {"plain path", L"image/logo_big.png", L"image/logo_big.png", {}, false, {}},
    {"file only", L"file='image/btn.png'", L"image/btn.png", {}, false, {}},
    {"file with corner", L"file='image/btn.png' corner='50,0,50,0'", L"image/btn.png", {50, 0, 50, 0}, false, {}},
    {"file with dest", L"file='image/combo.png' dest='233,11,249,27'", L"image/combo.png", {}, true, {233, 11, 249, 27}},
    {"corner before file", L"corner='30,30,30,30' file='image/bg_shadow.png'", L"image/bg_shadow.png", {30, 30, 30, 30}, false, {}},
    {"negative corners held at zero", L"file='a.png' corner='-1,2,3,4'", L"a.png", {0, 2, 3, 4}, false, {}},
    {"unclosed quote", L"file='a.png", L"file='a.png", {}, false, {}},
};

TEST(LayoutAttributes, ImageSpecsReadFileCornerAndDest) {
    for (const ImageCase& c : kImageCases) {
        SCOPED_TRACE(c.name);
        const ImageSpec imageSpec = ParseImageSpec(c.text);
        EXPECT_EQ(imageSpec.path, c.path);
        EXPECT_EQ(imageSpec.corners, c.corners);
        EXPECT_EQ(imageSpec.hasDest, c.hasDest);
        EXPECT_EQ(imageSpec.dest, c.dest);
    }
}

TEST(LayoutAttributes, StyleAttributesArePairsInOrder) {
    const auto pairs = ParseStyleAttributes(L"width=\"4\" thumbnormalimage=\"file='image/scroll_ba_thumb.png'\"");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], (std::pair<std::wstring, std::wstring>{L"width", L"4"}));
    EXPECT_EQ(pairs[1].second, L"file='image/scroll_ba_thumb.png'");
}

}  // namespace
}  // namespace ui
