#include "ui/host/win/host_win_fonts.h"

#include <climits>

#include "shell/log.h"

namespace ui::win {
namespace {

// The families in a collection, in GDI+'s order.
std::vector<std::wstring> FamilyNames(const Gdiplus::FontCollection& collection) {
    const INT count = collection.GetFamilyCount();
    if (count <= 0) return {};
    std::vector<Gdiplus::FontFamily> families(static_cast<size_t>(count));
    INT found = 0;
    if (collection.GetFamilies(count, families.data(), &found) != Gdiplus::Ok) return {};
    std::vector<std::wstring> names;
    for (INT i = 0; i < found; ++i) {
        WCHAR name[LF_FACESIZE] = {};
        if (families[static_cast<size_t>(i)].GetFamilyName(name) == Gdiplus::Ok && name[0] != L'\0')
            names.emplace_back(name);
    }
    return names;
}

bool SystemHasFamily(const std::wstring& family) {
    const Gdiplus::FontFamily probe(family.c_str(), nullptr);
    return probe.GetLastStatus() == Gdiplus::Ok && probe.IsAvailable();
}

}  // namespace

CWinFonts::CWinFonts() : collection_(std::make_unique<Gdiplus::PrivateFontCollection>()) {}

// The fonts go before the collection whose families they use.
CWinFonts::~CWinFonts() {
    fonts_.clear();
    fallback_.reset();
    collection_.reset();
}

std::wstring CWinFonts::Register(std::span<const std::byte> bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    std::vector<std::byte> kept(bytes.begin(), bytes.end());
    // A collection of its own first, so that the family this font declares is
    // known even when the main collection already has it (a bold face beside
    // its regular one).
    Gdiplus::PrivateFontCollection probe;
    if (probe.AddMemoryFont(kept.data(), static_cast<INT>(kept.size())) != Gdiplus::Ok) return {};
    const std::vector<std::wstring> declared = FamilyNames(probe);
    if (declared.empty()) return {};
    if (collection_->AddMemoryFont(kept.data(), static_cast<INT>(kept.size())) != Gdiplus::Ok) return {};

    // GDI draws with the face too (the system's own text of this process),
    // still private to the process.
    DWORD faces = 0;
    if (HANDLE gdiFont = AddFontMemResourceEx(kept.data(), static_cast<DWORD>(kept.size()), nullptr, &faces)) {
        gdiFonts_.emplace_back(gdiFont);
    } else {
        CCTLog::Instance().Log(LogLevel::Error, "CWinFonts::Register", L"AddFontMemResourceEx failed for %ls",
                               declared.front().c_str());
    }
    fontBytes_.push_back(std::move(kept));
    for (const std::wstring& family : declared) {
        if (!IsPrivateFamily(family)) privateFamilies_.push_back(family);
    }
    Forget();
    return declared.front();
}

void CWinFonts::Alias(const std::wstring& layoutFamily, const std::wstring& faceFamily) {
    aliases_[layoutFamily] = faceFamily;
    Forget();
}

void CWinFonts::Forget() {
    resolved_.clear();
    fonts_.clear();
    coverage_.clear();
}

bool CWinFonts::IsPrivateFamily(const std::wstring& family) const {
    for (const std::wstring& known : privateFamilies_) {
        if (CompareStringOrdinal(known.c_str(), -1, family.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

std::wstring CWinFonts::ResolveFamily(const std::wstring& family) {
    if (const auto alias = aliases_.find(family); alias != aliases_.end()) return alias->second;
    if (const auto known = resolved_.find(family); known != resolved_.end()) return known->second;
    std::wstring face = family;
    const bool machineHasIt = !family.empty() && (IsPrivateFamily(family) || SystemHasFamily(family));
    if (!machineHasIt && !privateFamilies_.empty()) face = privateFamilies_.front();
    resolved_.emplace(family, face);
    return face;
}

const Gdiplus::Font& CWinFonts::FontFor(const FontSpec& font, const std::wstring& text) {
    const std::wstring family = ResolveFamily(font.family);
    if (!IsPrivateFamily(family) || DrawsEveryCharacter(family, text)) return FontFor(font);
    FontSpec fallback = font;
    fallback.family = FallbackFamily();
    return FontFor(fallback);
}

bool CWinFonts::DrawsEveryCharacter(const std::wstring& family, const std::wstring& text) {
    enum : uint8_t { kUnknown, kHas, kLacks };
    std::vector<uint8_t>& known = coverage_[family];
    if (known.empty()) known.assign(0x10000, kUnknown);
    const auto isAsked = [](wchar_t c) { return c >= L' ' && !(c >= 0xD800 && c <= 0xDFFF); };
    std::wstring unknown;
    for (const wchar_t c : text) {
        if (isAsked(c) && known[static_cast<size_t>(c)] == kUnknown) unknown.push_back(c);
    }
    if (!unknown.empty()) {
        // GDI sees the registered face too (AddFontMemResourceEx) and says
        // which characters it has no glyph for.
        const CMemoryDc dc(CreateCompatibleDC(nullptr));
        LOGFONTW wanted{};
        wanted.lfHeight = -16;
        wanted.lfCharSet = DEFAULT_CHARSET;
        family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
        const CFontHandle face(CreateFontIndirectW(&wanted));
        std::vector<WORD> glyphs(unknown.size(), 0);
        bool answered = false;
        if (dc && face) {
            const HGDIOBJ before = SelectObject(dc.Get(), face.Get());
            // Only the face itself can answer, not one GDI put in its place.
            WCHAR selected[LF_FACESIZE] = {};
            const bool isTheFace = GetTextFaceW(dc.Get(), LF_FACESIZE, selected) > 0 &&
                                   CompareStringOrdinal(selected, -1, family.c_str(), -1, TRUE) == CSTR_EQUAL;
            answered = isTheFace && GetGlyphIndicesW(dc.Get(), unknown.c_str(), static_cast<int>(unknown.size()),
                                                     glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
            SelectObject(dc.Get(), before);
        }
        // Without an answer the face is trusted, as before the question.
        for (size_t i = 0; i < unknown.size(); ++i) {
            known[static_cast<size_t>(unknown[i])] = !answered || glyphs[i] != 0xFFFF ? kHas : kLacks;
        }
    }
    for (const wchar_t c : text) {
        if (isAsked(c) && known[static_cast<size_t>(c)] == kLacks) return false;
    }
    return true;
}

// Windows' own interface face, else older systems' faces; DejaVu Sans is what
// Wine without fonts of its own finds among the Linux machine's.
const std::wstring& CWinFonts::FallbackFamily() {
    if (fallbackFamily_.empty()) {
        fallbackFamily_ = L"Arial";
        for (const wchar_t* family : {L"Segoe UI", L"Tahoma", L"Arial", L"Microsoft Sans Serif", L"DejaVu Sans"}) {
            if (SystemHasFamily(family)) {
                fallbackFamily_ = family;
                break;
            }
        }
    }
    return fallbackFamily_;
}

const Gdiplus::Font& CWinFonts::FontFor(const FontSpec& font) {
    const int pixelSize = std::max(1, font.pixelSize);
    // The text layer draws underlines itself, so the style is left out here.
    auto key = std::make_tuple(font.family, pixelSize, font.bold);
    if (const auto made = fonts_.find(key); made != fonts_.end()) return *made->second;

    const std::wstring family = ResolveFamily(font.family);
    const Gdiplus::FontCollection* from = IsPrivateFamily(family) ? collection_.get() : nullptr;
    const auto size = static_cast<Gdiplus::REAL>(pixelSize);
    auto made = std::make_unique<Gdiplus::Font>(family.c_str(), size,
                                                (font.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular),
                                                Gdiplus::UnitPixel, from);
    // A private family has only the styles registered for it; without a bold
    // face the regular one draws (as GDI+ offers no synthesis there).
    if (made->GetLastStatus() != Gdiplus::Ok && font.bold) {
        made = std::make_unique<Gdiplus::Font>(family.c_str(), size, Gdiplus::FontStyleRegular,
                                               Gdiplus::UnitPixel, from);
    }
    if (made->GetLastStatus() != Gdiplus::Ok) {
        made = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), size,
                                               (font.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular),
                                               Gdiplus::UnitPixel);
    }
    if (made->GetLastStatus() != Gdiplus::Ok) {
        if (!fallback_) {
            fallback_ = std::make_unique<Gdiplus::Font>(L"Arial", 12.0f, Gdiplus::FontStyleRegular,
                                                        Gdiplus::UnitPixel);
        }
        return *fallback_;
    }
    return *fonts_.emplace(std::move(key), std::move(made)).first->second;
}

}  // namespace ui::win
