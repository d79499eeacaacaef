// The skin archive and the fonts as the program carries them: every file the
// windows name is there, every image is a PNG that unpacks to the size its
// layout draws it at (and twice that for the 2x twin), and the fonts hold a
// glyph for every character the language packs can show.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "shell/embedded_resource.h"
#include "shell/text_convert.h"
#include "shell/zip_archive.h"

namespace {

const std::filesystem::path kResources = KALO_RESOURCES_DIR;

std::span<const std::byte> Resource(const wchar_t* type, int id) {
    const auto bytes = FindEmbeddedResource(type, id);
    return bytes ? *bytes : std::span<const std::byte>();
}

uint32_t Be32(std::span<const std::byte> b, size_t at) {
    return (std::to_integer<uint32_t>(b[at]) << 24) | (std::to_integer<uint32_t>(b[at + 1]) << 16) |
           (std::to_integer<uint32_t>(b[at + 2]) << 8) | std::to_integer<uint32_t>(b[at + 3]);
}
uint16_t Be16(std::span<const std::byte> b, size_t at) {
    return static_cast<uint16_t>((std::to_integer<uint32_t>(b[at]) << 8) | std::to_integer<uint32_t>(b[at + 1]));
}

struct Size {
    uint32_t width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// Walks the chunks (CRCs checked), inflates the image data and checks every
// row: an 8-bit RGBA, RGB or grey-and-alpha image, or one with a palette,
// that unpacks to exactly its rows, each starting with a known filter type. Gives the size, or nothing when any of
// that fails.
std::optional<Size> DecodePng(std::span<const std::byte> png) {
    static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 + 25 || std::memcmp(png.data(), kSignature, 8) != 0) return std::nullopt;
    Size size;
    int channels = 0;
    int depth = 0;
    std::vector<unsigned char> data;
    bool ended = false;
    for (size_t at = 8; !ended;) {
        if (at + 12 > png.size()) return std::nullopt;
        const uint32_t length = Be32(png, at);
        if (length > png.size() - at - 12) return std::nullopt;
        const auto* type = reinterpret_cast<const unsigned char*>(png.data() + at + 4);
        if (crc32(0, type, length + 4) != Be32(png, at + 8 + length)) return std::nullopt;
        const std::string name(reinterpret_cast<const char*>(type), 4);
        const auto body = png.subspan(at + 8, length);
        if (name == "IHDR") {
            if (length != 13) return std::nullopt;
            size = {Be32(body, 0), Be32(body, 4)};
            depth = std::to_integer<int>(body[8]);
            const int colour = std::to_integer<int>(body[9]);
            // RGBA, RGB, a palette (the images with few colours), grey with alpha.
            channels = colour == 6 ? 4 : colour == 2 ? 3 : colour == 3 ? 1 : colour == 4 ? 2 : 0;
            const bool depthFits = colour == 3 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8) : depth == 8;
            if (channels == 0 || !depthFits || std::to_integer<int>(body[12]) != 0) return std::nullopt;  // not interlaced
        } else if (name == "IDAT") {
            const auto* bytes = reinterpret_cast<const unsigned char*>(body.data());
            data.insert(data.end(), bytes, bytes + length);
        } else if (name == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (size.width == 0 || size.height == 0 || size.width > 8192 || size.height > 8192) return std::nullopt;
    const size_t stride = 1 + (size_t{size.width} * channels * depth + 7) / 8;
    std::vector<unsigned char> pixels(stride * size.height + 1);
    uLongf unpacked = pixels.size();
    if (uncompress(pixels.data(), &unpacked, data.data(), data.size()) != Z_OK) return std::nullopt;
    if (unpacked != stride * size.height) return std::nullopt;
    for (uint32_t row = 0; row < size.height; ++row) {
        if (pixels[row * stride] > 4) return std::nullopt;
    }
    return size;
}

// "image/btn.png 180 46 50,0,50,0": the size each layout draws an image at,
// written beside the layouts.
std::map<std::string, Size> DrawnSizes() {
    std::map<std::string, Size> sizes;
    std::ifstream file(kResources / "skin" / "image_sizes.txt");
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string path;
        Size size;
        if (fields >> path >> size.width >> size.height) sizes[path] = size;
    }
    return sizes;
}

std::string TwinName(const std::string& path) { return path.substr(0, path.size() - 4) + "@2x.png"; }

TEST(SkinArchive, HoldsTheLayoutsAndEveryImageWithItsTwinAndNothingElse) {
    const auto bytes = Resource(L"ZIPRES", 101);
    CZipArchive zip;
    ASSERT_EQ(zip.Open(bytes.data(), bytes.size()), kZipOk);

    std::set<std::string> expected = {"image/", "check_loading/"};
    for (const char* layout : {"main_window.xml", "main_window_layer_welcome.xml", "main_window_layer_result.xml",
                               "minimum_config_window.xml", "display_interface_intro_wnd.xml", "msgwnd.xml"}) {
        expected.insert(layout);
    }
    for (const char* image :
         {"bg_display_interface_intro_wnd", "bg_shadow", "bk_minimum", "bk_msg", "bk_result", "bk_welcome", "btn",
          "btn_h", "btn_m", "btn_m_h", "btn_m_p", "btn_p", "close", "close_h", "close_m_white", "close_p",
          "close_white", "close_white_h", "combo", "combo_bk", "combo_h", "combo_p", "display_interface_intro_content",
          "display_interface_intro_header", "ellipse_green_small", "ellipse_red_small", "icon_big_error",
          "icon_big_succeed", "icon_big_unknown", "icon_cpu", "icon_driver_version", "icon_gpu", "icon_os", "icon_ram",
          "icon_small_error", "icon_small_succeed", "icon_small_unknown", "logo_big", "logo_small", "min", "min_h",
          "min_p", "min_white", "min_white_h", "scroll_ba_thumb", "steam_close"}) {
        expected.insert("image/" + std::string(image) + ".png");
        expected.insert("image/" + std::string(image) + "@2x.png");
    }
    for (int frame = 0; frame < 32; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, "check_loading/loading_%05d.png", frame);
        expected.insert(name);
        expected.insert(TwinName(name));
    }
    ASSERT_EQ(expected.size(), 2u + 6 + 2 * (46 + 32));

    std::set<std::string> names;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        ZipEntry entry;
        ASSERT_EQ(zip.GetEntry(i, entry), kZipOk);
        names.insert(WideToUtf8(entry.name));
    }
    EXPECT_EQ(names, expected);
}

TEST(SkinArchive, EveryImageIsAPngOfItsDrawnSizeAndItsTwinOfTwiceThat) {
    const auto bytes = Resource(L"ZIPRES", 101);
    CZipArchive zip;
    ASSERT_EQ(zip.Open(bytes.data(), bytes.size()), kZipOk);
    const auto drawn = DrawnSizes();
    ASSERT_EQ(drawn.size(), 46u + 32u);

    for (const auto& [path, size] : drawn) {
        for (const auto& [name, want] :
             {std::pair{path, size}, std::pair{TwinName(path), Size{size.width * 2, size.height * 2}}}) {
            ZipEntry entry;
            ASSERT_EQ(zip.FindEntry(Utf8ToWide(name), entry), kZipOk) << name;
            std::vector<std::byte> png(entry.uncompressedSize);
            ASSERT_EQ(zip.UnpackToBuffer(entry.index, png), kZipOk) << name;
            const auto decoded = DecodePng(png);
            ASSERT_TRUE(decoded.has_value()) << name << " is not a whole PNG";
            EXPECT_EQ(decoded->width, want.width) << name;
            EXPECT_EQ(decoded->height, want.height) << name;
        }
    }
}

// The sfnt table directory: tag to (offset, length).
std::map<std::string, std::pair<uint32_t, uint32_t>> Tables(std::span<const std::byte> font) {
    std::map<std::string, std::pair<uint32_t, uint32_t>> tables;
    const uint16_t count = Be16(font, 4);
    for (size_t i = 0; i < count && 12 + 16 * (i + 1) <= font.size(); ++i) {
        const size_t record = 12 + 16 * i;
        const std::string tag(reinterpret_cast<const char*>(font.data() + record), 4);
        const uint32_t offset = Be32(font, record + 8), length = Be32(font, record + 12);
        if (offset <= font.size() && length <= font.size() - offset) tables[tag] = {offset, length};
    }
    return tables;
}

// The characters of the Unicode cmap subtable (format 4, or 12 when present).
std::set<char32_t> MappedCharacters(std::span<const std::byte> font) {
    std::set<char32_t> mapped;
    const auto tables = Tables(font);
    if (!tables.count("cmap")) return mapped;
    const auto cmap = font.subspan(tables.at("cmap").first, tables.at("cmap").second);
    for (size_t i = 0, count = Be16(cmap, 2); i < count; ++i) {
        const uint16_t platform = Be16(cmap, 4 + 8 * i), encoding = Be16(cmap, 6 + 8 * i);
        if (platform != 3 || (encoding != 1 && encoding != 10)) continue;
        const auto sub = cmap.subspan(Be32(cmap, 8 + 8 * i));
        if (Be16(sub, 0) == 12) {
            for (size_t g = 0, groups = Be32(sub, 12); g < groups; ++g) {
                for (char32_t c = Be32(sub, 16 + 12 * g); c <= Be32(sub, 20 + 12 * g); ++c) mapped.insert(c);
            }
        } else if (Be16(sub, 0) == 4) {
            const size_t segments = Be16(sub, 6) / 2;
            for (size_t s = 0; s < segments; ++s) {
                const uint16_t end = Be16(sub, 14 + 2 * s), start = Be16(sub, 16 + 2 * segments + 2 * s);
                for (uint32_t c = start; c <= end && c != 0xFFFF; ++c) mapped.insert(c);
            }
        }
    }
    return mapped;
}

// Every character of the language packs and the language names, as shown.
std::set<char32_t> LanguageCharacters() {
    std::set<char32_t> chars;
    std::vector<std::filesystem::path> files = {kResources / "lang" / "defaultlangconfig.json"};
    for (const auto& folder : std::filesystem::directory_iterator(kResources / "lang")) {
        if (folder.is_directory()) files.push_back(folder.path() / "fitprobe" / "KALOFitProbe.lang");
    }
    for (const auto& path : files) {
        std::ifstream file(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), {});
        EXPECT_FALSE(text.empty()) << path;
        for (wchar_t c : Utf8ToWide(text)) {
            if (c > 0x20 && c != 0xFEFF) chars.insert(static_cast<char32_t>(c));
        }
    }
    return chars;
}

TEST(SkinFonts, RegularAndBoldAreSmallSubsetsUnderAFamilyNameOfTheirOwnCoveringEveryLanguage) {
    // Polish letters Noto Sans CJK does not carry; the host draws them from a
    // fallback font.
    const std::set<char32_t> kAbsentFromTheFont = {0x0105, 0x0107, 0x0119, 0x0141, 0x0142, 0x015B, 0x017A, 0x017C};
    const std::set<char32_t> wanted = LanguageCharacters();
    ASSERT_GT(wanted.size(), 400u);

    struct Case { const char* name; int id; uint16_t weight; };
    const Case kCases[] = {{"regular", 102, 400}, {"bold", 103, 700}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto font = Resource(L"FONTRES", c.id);
        ASSERT_GT(font.size(), 12u);
        EXPECT_LT(font.size(), 400u * 1024);
        EXPECT_TRUE(Be32(font, 0) == 0x4F54544F || Be32(font, 0) == 0x00010000) << "sfnt magic";

        const auto tables = Tables(font);
        ASSERT_TRUE(tables.count("OS/2") && tables.count("name"));
        EXPECT_EQ(Be16(font, tables.at("OS/2").first + 4), c.weight);
        const auto name = font.subspan(tables.at("name").first, tables.at("name").second);
        std::set<std::u16string> families;
        for (size_t i = 0, count = Be16(name, 2); i < count; ++i) {
            const size_t record = 6 + 12 * i;
            if (Be16(name, record) != 3 || Be16(name, record + 6) != 1) continue;
            const auto text = name.subspan(Be16(name, 4) + Be16(name, record + 10), Be16(name, record + 8));
            std::u16string family;
            for (size_t k = 0; k + 1 < text.size(); k += 2) family.push_back(static_cast<char16_t>(Be16(text, k)));
            families.insert(family);
        }
        // Every family record renamed, so that an installed Noto Sans CJK SC
        // never stands in for the subset.
        EXPECT_EQ(families, std::set<std::u16string>{u"KALO Sans CJK SC"});

        const auto mapped = MappedCharacters(font);
        std::set<char32_t> missing;
        for (char32_t ch : wanted) {
            if (!mapped.count(ch)) missing.insert(ch);
        }
        EXPECT_EQ(missing, kAbsentFromTheFont);
    }
}

}  // namespace
