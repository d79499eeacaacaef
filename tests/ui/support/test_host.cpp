#include "tests/ui/support/test_host.h"

#include <algorithm>
#include <cstring>

namespace ui::test {

namespace {

class CTestImage : public IImage {
public:
    explicit CTestImage(Size size) : size_(size) {}
    Size PixelSize() const override { return size_; }
    ImagePtr CopyPart(const Rect& area) const override {
        return std::make_shared<CTestImage>(Size{area.Width(), area.Height()});
    }

private:
    Size size_;
};

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian(const std::byte* p) {
    return (std::to_integer<uint32_t>(p[0]) << 24) | (std::to_integer<uint32_t>(p[1]) << 16) |
           (std::to_integer<uint32_t>(p[2]) << 8) | std::to_integer<uint32_t>(p[3]);
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

int Clamp(long long value) { return static_cast<int>(std::clamp<long long>(value, 0, 1 << 24)); }

}  // namespace

int LineHeight(const FontSpec& font) { return font.pixelSize + 4; }

std::string FakePng(int width, int height) {
    std::string out(reinterpret_cast<const char*>(kPngSignature), sizeof kPngSignature);
    PutBigEndian(out, 13);
    out += "IHDR";
    PutBigEndian(out, static_cast<uint32_t>(width));
    PutBigEndian(out, static_cast<uint32_t>(height));
    out += std::string("\x08\x06\x00\x00\x00", 5);
    PutBigEndian(out, 0);  // CRC: the test host does not check it
    return out;
}

ImagePtr CTestHost::DecodeImageAtScale(std::span<const std::byte> bytes, int scale) {
    if (scale == 1) return DecodeImage(bytes);
    const ImagePtr image = DecodeImage(bytes);
    if (!image) return nullptr;
    --decoded;
    if (scale == 2) ++decodedAtScale2;
    const Size size = image->PixelSize();
    return std::make_shared<CTestImage>(Size{size.cx / scale, size.cy / scale});
}

ImagePtr CTestHost::DecodeImage(std::span<const std::byte> bytes) {
    if (bytes.size() < 24 || std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0) return nullptr;
    ++decoded;
    return std::make_shared<CTestImage>(
        Size{static_cast<int>(BigEndian(bytes.data() + 16) & 0xFFFF), static_cast<int>(BigEndian(bytes.data() + 20) & 0xFFFF)});
}

void CTestCanvas::FillRect(const Rect& rect, Argb color) {
    DrawCall call;
    call.kind = DrawCall::Fill;
    call.rect = rect;
    call.color = color;
    calls.push_back(call);
}

void CTestCanvas::DrawRoundedFrame(const Rect& rect, int radius, int width, Argb color) {
    DrawCall call;
    call.kind = DrawCall::Frame;
    call.rect = rect;
    call.radius = radius;
    call.flags = static_cast<uint32_t>(width);
    call.color = color;
    calls.push_back(call);
}

void CTestCanvas::DrawImage(const IImage&, const Rect&, const Rect& dest, const Corners& corners, uint8_t) {
    DrawCall call;
    call.kind = DrawCall::Image;
    call.rect = dest;
    call.corners = corners;
    calls.push_back(call);
}

Size CTestCanvas::MeasureText(const std::wstring& text, const FontSpec& font, int maxWidth, uint32_t flags) {
    const long long width = static_cast<long long>(text.size()) * kCharAdvance;
    if ((flags & kTextWordBreak) == 0 || maxWidth <= 0 || width <= maxWidth) {
        return {Clamp(width), text.empty() ? 0 : LineHeight(font)};
    }
    // Wrapping at any character: as many full lines as the width needs.
    const long long perLine = std::max(1, maxWidth / kCharAdvance);
    const long long lines = (static_cast<long long>(text.size()) + perLine - 1) / perLine;
    return {Clamp(perLine * kCharAdvance), Clamp(lines * LineHeight(font))};
}

void CTestCanvas::DrawText(const std::wstring& text, const FontSpec& font, Argb color, const Rect& box,
                           uint32_t flags) {
    DrawCall call;
    call.kind = DrawCall::Text;
    call.rect = box;
    call.color = color;
    call.text = text;
    call.flags = flags;
    call.font = font;
    calls.push_back(call);
}

void CTestCanvas::PushClip(const Rect&) { maxClipDepth = std::max(maxClipDepth, ++clipDepth); }

void CTestCanvas::PopClip() { --clipDepth; }

}  // namespace ui::test
