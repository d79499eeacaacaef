#pragma once
// The program's embedded faces, registered with the platform host under the
// family name the layouts use.

#include <string>
#include <vector>

#include "ui/toolkit/host.h"

namespace ui {

// The Regular and the Bold face, registered before anything is drawn so
// that even the first start-up message shows in them. A missing or refused
// font leaves the system's fonts to draw; start-up goes on either way. The
// failures, one text each, are for the log once it is open.
std::vector<std::wstring> RegisterEmbeddedFonts(IHost& host);
void LogEmbeddedFontFailures(const std::vector<std::wstring>& failures);

}  // namespace ui
