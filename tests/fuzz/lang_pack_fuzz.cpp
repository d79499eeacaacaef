// Feeds arbitrary bytes to the two language documents' readers: the pack
// (XML) and the index (JSON). Neither may crash, hang or throw.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "lang/lang_config.h"
#include "lang/lang_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParseLangPack(std::as_bytes(std::span(data, size)));
    CLangConfig config(L"/nonexistent");
    config.ParseDefaultLangConfig(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const LangPackInfo& info : config.LanguageList()) {
        config.GetLangText(info.code.c_str());
    }
    return 0;
}
