#pragma once
// The program's embedded resources as the windows see them at run time: the
// language pack of one language from the embedded archive, and the embedded
// fonts registered with the host under the layouts' family name.

#include <string>

#include "lang/lang_pack.h"
#include "ui/toolkit/host.h"
#include "ui/toolkit/layout_builder.h"

namespace ui::test {

LangTextTable EmbeddedPackOf(const std::string& code);
// A look-up over the table, which must outlive it.
TextLookup LookupIn(const LangTextTable& texts);
// Once per process.
void RegisterEmbeddedFonts(IHost& host);

}  // namespace ui::test
