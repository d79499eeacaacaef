// Text on the platform's canvas, checked on the pixels of real windows: the
// end ellipsis and the underline, which each host draws in its own way and
// which must look alike on both.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "shell/text_convert.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"

namespace ui::test {
namespace {

constexpr Argb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;
const FontSpec kFont{L"\u601D\u6E90\u9ED1\u4F53 CN Regular", 14};

bool IsInk(Argb pixel) { return ((pixel >> 8) & 0xFF) < 128; }

class CanvasText : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterEmbeddedFonts(TestHost());
        window_ = TestHost().CreateHostWindow(events_, {L"text", {240, 40}, false, nullptr});
        ASSERT_TRUE(window_);
    }
    // The window with one text drawn on white.
    Shot Draw(const std::wstring& text, const Rect& box, uint32_t flags, bool underline = false) {
        FontSpec font = kFont;
        font.underline = underline;
        // By value: a later screenshot paints again.
        events_.paint = [text, box, flags, font](ICanvas& canvas) {
            canvas.FillRect({0, 0, 240, 40}, kWhite);
            canvas.DrawText(text, font, kBlack, box, flags);
        };
        Shot shot;
        shot.size = window_->PaintInto(shot.pixels);
        return shot;
    }

    CRecordedEvents events_;
    std::unique_ptr<IHostWindow> window_;
};

TEST_F(CanvasText, EndEllipsisShowsTheLongestStartThatFitsFollowedByAnEllipsis) {
    const std::wstring text = L"Learn about requirements for the use of video output ports";
    const uint32_t flags = kTextSingleLine | kTextVCenter;
    const Rect box{10, 10, 130, 30};
    const Shot elided = Draw(text, box, flags | kTextEndEllipsis);
    Screenshot(*window_, "canvas_text_end_ellipsis");
    // Drawn unclipped in a wide box, one start of the text followed by "…"
    // gives exactly the same pixels.
    size_t matched = 0;
    for (size_t length = 1; length < text.size() && matched == 0; ++length) {
        const std::wstring candidate = text.substr(0, length) + L"\u2026";
        if (Draw(candidate, {10, 10, 230, 30}, flags).pixels == elided.pixels) matched = length;
    }
    EXPECT_GT(matched, 5u) << "no start of the text with an ellipsis draws the same";
    EXPECT_LE(TestHost().MeasuringCanvas().MeasureText(text.substr(0, matched) + L"\u2026", kFont, 0, flags).cx,
              box.Width());
}

TEST_F(CanvasText, TextThatFitsItsWidthIsNotElidedInABoxLowerThanALine) {
    // The result rows: 16 pixels high for 14-pixel text.
    for (const wchar_t* text : {L"CPU", L"GPU driver version", L"Microsoft Windows 10 Pro(64)"}) {
        const Rect box{10, 10, 230, 26};
        EXPECT_EQ(Draw(text, box, kTextSingleLine | kTextEndEllipsis).pixels,
                  Draw(text, box, kTextSingleLine).pixels)
            << "elided: " << WideToUtf8(text);
    }
}

TEST_F(CanvasText, EveryLetterOfEveryLanguageHasAGlyph) {
    // A character no font has draws as the missing-glyph box; every letter
    // of the packs must draw as something else. Below the CJK ranges, which
    // are the embedded face's own.
    const Rect box{10, 5, 60, 35};
    const Shot missing = Draw(L"\uE000", box, kTextSingleLine);  // private use: in no font
    std::vector<std::string> without;
    for (const char* code : {"cn", "de", "en", "es", "fr", "it", "jp", "ko", "nl", "pl", "pt", "ru"}) {
        const LangTextTable texts = EmbeddedPackOf(code);
        EXPECT_FALSE(texts.empty()) << code;
        std::set<wchar_t> letters;
        for (const auto& [key, text] : texts) {
            for (const wchar_t c : text) {
                if (c > L' ' && c < 0x2E80) letters.insert(c);
            }
        }
        for (const wchar_t c : letters) {
            if (Draw(std::wstring(1, c), box, kTextSingleLine).pixels == missing.pixels) {
                without.push_back(std::string(code) + " " + WideToUtf8(std::wstring(1, c)));
            }
        }
    }
    EXPECT_TRUE(without.empty()) << ::testing::PrintToString(without);
    Draw(L"Wydajno\u015B\u0107 \u0105\u0119\u0142\u0141\u017A\u017C \uE000", {10, 5, 230, 35}, kTextSingleLine);
    Screenshot(*window_, "canvas_text_polish_letters");
}

TEST_F(CanvasText, UnderlineIsOneThinLineUnderTheWholeText) {
    const Rect box{10, 5, 230, 35};
    const Shot plain = Draw(L"Learn more requirements", box, kTextSingleLine);
    const Shot underlined = Draw(L"Learn more requirements", box, kTextSingleLine, true);
    Screenshot(*window_, "canvas_text_underline");
    ASSERT_EQ(plain.size, underlined.size);
    int inkLeft = 240, inkRight = -1, inkBottom = -1;
    std::vector<int> addedRows;
    int addedLeft = 240, addedRight = -1;
    for (int y = 0; y < plain.size.cy; ++y) {
        bool added = false;
        for (int x = 0; x < plain.size.cx; ++x) {
            const size_t at = static_cast<size_t>(y * plain.size.cx + x);
            if (IsInk(plain.pixels[at])) {
                inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x), inkBottom = std::max(inkBottom, y);
            }
            if (IsInk(underlined.pixels[at]) && !IsInk(plain.pixels[at])) {
                added = true;
                addedLeft = std::min(addedLeft, x), addedRight = std::max(addedRight, x);
            }
        }
        if (added) addedRows.push_back(y);
    }
    ASSERT_FALSE(addedRows.empty()) << "no underline drawn";
    EXPECT_LE(addedRows.size(), 2u) << "a thin line";
    EXPECT_EQ(addedRows.back() - addedRows.front() + 1, static_cast<int>(addedRows.size())) << "one line";
    EXPECT_LE(addedLeft, inkLeft + 2);
    EXPECT_GE(addedRight, inkRight - 2);
    // Under the letters without descenders ("p" and "q" may reach it).
    EXPECT_GE(addedRows.front(), inkBottom - 5);
}

}  // namespace
}  // namespace ui::test
