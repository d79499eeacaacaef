#pragma once
// The program's embedded faces, registered with the platform host under the
// family name the layouts use.

#include "ui/toolkit/host.h"

namespace ui {

// The Regular and the Bold face. A missing or refused font is logged and
// leaves the system's fonts to draw; start-up goes on either way.
void RegisterEmbeddedFonts(IHost& host);

}  // namespace ui
