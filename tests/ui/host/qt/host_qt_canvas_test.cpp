// The canvas over QPainter, checked on the pixels of real offscreen windows.

#include <gtest/gtest.h>

#include <QColor>
#include <QPainter>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/ui/host/qt/qt_host_fixture.h"

namespace ui::test {
namespace {

constexpr Argb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000;

// A square whose corners (corner × corner pixels) are blue, edges green and
// centre red: which part lands where shows how it was stretched.
QImage SliceImage(int side, int corner) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(kRed));
    QPainter painter(&image);
    painter.fillRect(corner, 0, side - 2 * corner, side, QColor::fromRgba(kGreen));
    painter.fillRect(0, corner, side, side - 2 * corner, QColor::fromRgba(kGreen));
    painter.fillRect(corner, corner, side - 2 * corner, side - 2 * corner, QColor::fromRgba(kRed));
    for (const int x : {0, side - corner})
        for (const int y : {0, side - corner}) painter.fillRect(x, y, corner, corner, QColor::fromRgba(kBlue));
    return image;
}

QImage PaintWindow(const std::string& name, Size size, std::function<void(ICanvas&)> paint) {
    CRecordedEvents events;
    events.paint = std::move(paint);
    auto window = QtHost().CreateHostWindow(events, {L"canvas", size, false, nullptr});
    return ScreenshotImage(*window, name);
}

bool Near(QRgb actual, Argb expected, int tolerance) {
    const auto close = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
    return close(qRed(actual), qRed(expected)) && close(qGreen(actual), qGreen(expected)) &&
           close(qBlue(actual), qBlue(expected));
}

TEST(QtCanvas, PaintsFillsImagesAlphaAndClips) {
    IHost& host = QtHost();
    const ImagePtr slice = host.DecodeImage(PngBytes(SliceImage(12, 4)));
    const ImagePtr slice2x = host.DecodeImageAtScale(PngBytes(SliceImage(24, 8)), 2);
    QImage blackPixels(12, 12, QImage::Format_ARGB32);
    blackPixels.fill(Qt::black);
    const ImagePtr black = host.DecodeImage(PngBytes(blackPixels));
    ASSERT_TRUE(slice && slice2x && black);

    const QImage shot = PaintWindow("host_canvas", {200, 160}, [&](ICanvas& canvas) {
        canvas.FillRect({10, 10, 50, 30}, kRed);
        canvas.DrawImage(*slice, {}, {60, 10, 160, 70}, {4, 4, 4, 4});
        canvas.DrawImage(*slice2x, {}, {60, 75, 160, 115}, {4, 4, 4, 4});
        canvas.DrawImage(*black, {}, {10, 50, 50, 90}, {}, 128);
        canvas.PushClip({10, 130, 60, 150});
        canvas.PushClip({30, 120, 100, 160});
        canvas.FillRect({0, 120, 200, 160}, kBlue);
        canvas.PopClip();
        canvas.PopClip();
        canvas.FillRect({150, 130, 160, 140}, kGreen);
    });
    ASSERT_EQ(shot.size(), QSize(200, 160));

    struct Case { const char* name; int x, y; Argb expected; int tolerance; };
    const Case kCases[] = {
        {"fill inside", 30, 20, kRed, 0},
        {"outside the fill stays white", 55, 20, 0xFFFFFFFF, 0},
        {"nine-slice corner keeps 4 px", 63, 13, kBlue, 0},
        {"past the corner: top edge", 70, 11, kGreen, 0},
        {"left edge stretched down", 61, 40, kGreen, 0},
        {"centre stretched", 110, 40, kRed, 0},
        {"far corner in place", 158, 68, kBlue, 0},
        {"2x corner is 4 device-independent px", 63, 78, kBlue, 0},
        {"2x past the corner", 66, 77, kGreen, 0},
        {"alpha 128 over white", 30, 70, 0xFF7F7F7F, 3},
        {"outside the inner clip", 20, 140, 0xFFFFFFFF, 0},
        {"inside both clips", 40, 140, kBlue, 0},
        {"inside the inner clip only", 80, 140, 0xFFFFFFFF, 0},
        {"clip gone after the pops", 155, 135, kGreen, 0},
    };
    for (const Case& c : kCases) {
        EXPECT_TRUE(Near(shot.pixel(c.x, c.y), c.expected, c.tolerance))
            << c.name << ": " << std::hex << shot.pixel(c.x, c.y);
    }
}

TEST(QtCanvas, MeasuresTextByFlags) {
    ICanvas& canvas = QtHost().MeasuringCanvas();
    const FontSpec font{L"", 14};
    const Size word = canvas.MeasureText(L"Hello", font, 0, kTextSingleLine);
    const Size words = canvas.MeasureText(L"Hello wide world", font, 0, kTextSingleLine);
    const Size wrapped = canvas.MeasureText(L"Hello wide world, wrapped in a narrow box", font, 80, kTextWordBreak);
    const Size elided = canvas.MeasureText(L"Hello wide world", font, 40, kTextSingleLine | kTextEndEllipsis);
    const Size twoLines = canvas.MeasureText(L"Hello\nworld", font, 0, 0);
    const Size joined = canvas.MeasureText(L"Hello\nworld", font, 0, kTextSingleLine);

    EXPECT_GT(word.cx, 0);
    EXPECT_GT(words.cx, word.cx) << "longer text is wider";
    EXPECT_EQ(words.cy, word.cy);
    EXPECT_LE(wrapped.cx, 80) << "wraps within the width";
    EXPECT_GE(wrapped.cy, 3 * word.cy);
    EXPECT_LE(elided.cx, 40);
    EXPECT_EQ(twoLines.cy, 2 * word.cy) << "a line feed starts a line";
    EXPECT_EQ(joined.cy, word.cy) << "single line ignores line feeds";
    EXPECT_EQ(canvas.MeasureText(L"", font, 0, 0), Size{});
}

// Text is laid out in its box but not clipped to it: an ellipsis keeps it
// within (but for the parts of glyphs that reach past a line, descenders and
// the tops of tall marks), a wrapped text that needs more lines runs on
// below, and the caller's clip holds both.
TEST(QtCanvas, LaysTextOutInItsBoxAndLeavesTheClipToTheCaller) {
    struct Case { Rect box; const wchar_t* text; uint32_t flags; bool runsOn; };
    const Case kCases[] = {
        {{10, 10, 110, 30}, L"A line far too long for its box, cut with an ellipsis",
         kTextSingleLine | kTextVCenter | kTextEndEllipsis, false},
        {{10, 70, 150, 110}, L"Words wrap onto a second line and the rest is cut with an ellipsis",
         kTextWordBreak | kTextEndEllipsis, false},
        {{10, 145, 190, 185}, L"检测您的电脑是否满足 KALO Q8 的运行要求，居中换行显示", kTextWordBreak | kTextCenter, true},
    };
    for (const bool clipped : {false, true}) {
        SCOPED_TRACE(clipped ? "clipped" : "unclipped");
        const QImage shot = PaintWindow(clipped ? "host_text_clipped" : "host_text", {200, 240}, [&](ICanvas& canvas) {
            for (const Case& c : kCases) {
                if (clipped) canvas.PushClip(c.box);
                canvas.DrawText(c.text, {L"", 14}, kBlack, c.box, c.flags);
                if (clipped) canvas.PopClip();
            }
        });
        std::vector<int> inside(std::size(kCases), 0);
        std::vector<int> past(std::size(kCases), 0);  // beyond a glyph's reach past the box
        int elsewhere = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (qGray(shot.pixel(x, y)) > 128) continue;
                bool counted = false;
                for (size_t i = 0; i < std::size(kCases); ++i) {
                    const Rect& box = kCases[i].box;
                    if (box.Contains({x, y})) {
                        ++inside[i];
                        counted = true;
                    } else if (x >= box.left && x < box.right && y >= box.bottom + 4 && y < box.bottom + 30) {
                        ++past[i];
                        counted = true;
                    } else if (Rect{box.left, box.top - 4, box.right, box.bottom + 4}.Contains({x, y})) {
                        counted = !clipped;  // a glyph's reach: only without the clip
                    }
                }
                if (!counted) ++elsewhere;
            }
        }
        for (size_t i = 0; i < std::size(kCases); ++i) {
            EXPECT_GT(inside[i], 20) << i;
            EXPECT_EQ(past[i] > 0, kCases[i].runsOn && !clipped) << i;
        }
        EXPECT_EQ(elsewhere, 0);
    }
}

TEST(QtCanvas, RegisteredFontDrawsTheLayoutFamily) {
    std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", std::ios::binary);
    if (!file) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    const std::string data{std::istreambuf_iterator<char>(file), {}};
    const auto* begin = reinterpret_cast<const std::byte*>(data.data());
    const std::vector<std::byte> bytes(begin, begin + data.size());

    IHost& host = QtHost();
    const FontSpec layoutFont{L"思源黑体 CN Regular", 16};
    const int before = host.MeasuringCanvas().MeasureText(L"iiiiiiii", layoutFont, 0, 0).cx;
    const std::vector<std::byte> garbage(64, std::byte{7});
    EXPECT_EQ(host.RegisterPrivateFont(garbage), L"");

    const std::wstring family = host.RegisterPrivateFont(bytes);
    ASSERT_EQ(family, L"DejaVu Sans Mono");
    host.AliasFontFamily(layoutFont.family, family);
    const int after = host.MeasuringCanvas().MeasureText(L"iiiiiiii", layoutFont, 0, 0).cx;
    const int mono = host.MeasuringCanvas().MeasureText(L"iiiiiiii", {family, 16}, 0, 0).cx;
    EXPECT_NE(after, before) << "the narrow proportional i became a monospaced one";
    EXPECT_EQ(after, mono);
}

}  // namespace
}  // namespace ui::test
