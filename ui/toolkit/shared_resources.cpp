#include "ui/toolkit/shared_resources.h"

#include <memory>

#include "shell/embedded_resource.h"
#include "shell/log.h"

namespace ui {

namespace {

struct SharedState {
    std::unique_ptr<CSkinResources> skin;
    TextLookup lookup;
};

SharedState& Shared() {
    static SharedState state;
    return state;
}

}  // namespace

CSkinResources* SharedSkin(const std::wstring& resourceType, int resourceId) {
    SharedState& state = Shared();
    if (state.skin) return state.skin.get();
    IHost* host = PlatformHost();
    const auto archive = FindEmbeddedResource(resourceType, resourceId);
    if (host == nullptr || !archive) {
        CCTLog::Instance().Log(LogLevel::Error, "SharedSkin", L"no skin archive %ls %d", resourceType.c_str(), resourceId);
        return nullptr;
    }
    state.skin = std::make_unique<CSkinResources>(*host, *archive);
    return state.skin.get();
}

void InitLang(TextLookup lookup) { Shared().lookup = std::move(lookup); }

std::wstring LangText(const std::wstring& key) {
    const TextLookup& lookup = Shared().lookup;
    return lookup ? lookup(key) : std::wstring{};
}

std::wstring LangTextOr(const std::wstring& key, const wchar_t* fallback) {
    std::wstring text = LangText(key);
    return text.empty() ? fallback : text;
}

}  // namespace ui
