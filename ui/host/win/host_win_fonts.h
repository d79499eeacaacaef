#pragma once
// Font families of the Win32 host: process-private faces registered from
// bytes (for GDI+ in a private collection, for GDI with
// AddFontMemResourceEx), the mapping from the family a layout names to the
// face that draws it, and the GDI+ fonts made from the layouts' declarations.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "ui/host/win/host_win_gdi.h"
#include "ui/toolkit/canvas.h"

namespace ui::win {

class CWinFonts {
public:
    // GDI+ must be running.
    CWinFonts();
    ~CWinFonts();
    CWinFonts(const CWinFonts&) = delete;
    CWinFonts& operator=(const CWinFonts&) = delete;

    // The first family the font declares; empty when the bytes are no font.
    std::wstring Register(std::span<const std::byte> bytes);
    void Alias(const std::wstring& layoutFamily, const std::wstring& faceFamily);
    // The font for a declaration, made once and kept until the families
    // change; never null (GDI+'s generic sans-serif face when nothing else
    // can be made).
    const Gdiplus::Font& FontFor(const FontSpec& font);
    // The same for one text: when the declared face is a registered one that
    // lacks some of its characters (the embedded Chinese face has no Polish
    // letters), the whole text in the system's sans-serif face at the same
    // size and weight, so that no letter draws as a box and one text never
    // mixes faces mid-word.
    const Gdiplus::Font& FontFor(const FontSpec& font, const std::wstring& text);

    // An alias when one is set; else the family itself when the system or a
    // registered font has it; else the first registered face (the embedded
    // font stands in for every family the machine lacks); else the name as is.
    std::wstring ResolveFamily(const std::wstring& family);

private:
    bool IsPrivateFamily(const std::wstring& family) const;
    bool DrawsEveryCharacter(const std::wstring& family, const std::wstring& text);
    const std::wstring& FallbackFamily();
    void Forget();

    std::unique_ptr<Gdiplus::PrivateFontCollection> collection_;
    // The registered bytes: GDI+ reads a memory font from them for as long
    // as the collection lives.
    std::vector<std::vector<std::byte>> fontBytes_;
    std::vector<CFontResource> gdiFonts_;
    std::vector<std::wstring> privateFamilies_;
    std::map<std::wstring, std::wstring> aliases_;
    std::map<std::wstring, std::wstring> resolved_;  // cleared whenever the answer may change
    std::map<std::tuple<std::wstring, int, bool>, std::unique_ptr<Gdiplus::Font>> fonts_;
    std::unique_ptr<Gdiplus::Font> fallback_;
    // Per registered family, which characters of the basic plane it has,
    // asked of GDI as texts bring them.
    std::map<std::wstring, std::vector<uint8_t>> coverage_;
    std::wstring fallbackFamily_;
};

}  // namespace ui::win
