// The operating system's name: the distribution's PRETTY_NAME.

#include "engine/probes/facts_linux.h"
#include "engine/probes/system_texts_linux.h"
#include "shell/text_convert.h"

namespace probes_linux {

std::wstring OsCaption(const CSysfsTree& tree) {
    std::string prettyName = OsReleasePrettyName(tree.ReadFile("etc/os-release").value_or(""));
    if (prettyName.empty()) prettyName = OsReleasePrettyName(tree.ReadFile("usr/lib/os-release").value_or(""));
    return Utf8ToWide(prettyName);
}

}  // namespace probes_linux
