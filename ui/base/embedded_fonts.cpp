#include "ui/base/embedded_fonts.h"

#include "app/program_identity.h"
#include "shell/embedded_resource.h"
#include "shell/log.h"
#include "shell/wide_format.h"

namespace ui {

namespace {

// The layouts name this family; the embedded faces draw it.
constexpr wchar_t kLayoutFontFamily[] = L"思源黑体 CN Regular";

// The loader's result: 0 registered, 1 no such resource, 4 empty, 5 refused
// (2 and 3, a resource that cannot be loaded or locked, do not occur where
// resources are plain bytes in the program).
int RegisterEmbeddedFont(IHost& host, int id) {
    const auto font = FindEmbeddedResource(kFontType, id);
    if (!font) return 1;
    if (font->empty()) return 4;
    const std::wstring face = host.RegisterPrivateFont(*font);
    if (face.empty()) return 5;
    host.AliasFontFamily(kLayoutFontFamily, face);
    return 0;
}

}  // namespace

std::vector<std::wstring> RegisterEmbeddedFonts(IHost& host) {
    std::vector<std::wstring> failures;
    for (const int id : {kRegularFontId, kBoldFontId}) {
        if (const int result = RegisterEmbeddedFont(host, id); result != 0) {
            failures.push_back(FormatWide(L"font resource %d not registered (result %d)", id, result));
        }
    }
    return failures;
}

void LogEmbeddedFontFailures(const std::vector<std::wstring>& failures) {
    for (const std::wstring& failure : failures) {
        CCTLog::Instance().Log(LogLevel::Error, "LoadFontResource", L"%ls", failure.c_str());
    }
}

}  // namespace ui
