#pragma once
// What every window of the process shares: the skin archive (opened when the
// first window is built and kept for the life of the process) and the
// language that answers `textid` and text-by-key look-ups. Window thread only.

#include <string>

#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/skin_resources.h"

namespace ui {

// The embedded archive of that resource type and id, opened over the platform
// host on the first call; null without a host or when the archive is missing.
CSkinResources* SharedSkin(const std::wstring& resourceType, int resourceId);

// The source of texts by key; an unset source gives empty texts.
void InitLang(TextLookup lookup);
std::wstring LangText(const std::wstring& key);
// The text, or `fallback` where the pack (an older download) has none.
std::wstring LangTextOr(const std::wstring& key, const wchar_t* fallback);

}  // namespace ui
