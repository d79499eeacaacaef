#pragma once
// Builds an element tree from a layout file of the skin archive: the Window
// element's attributes, Font declarations, Include of other files, elements
// with their attributes applied in document order, textid looked up when the
// tree is built, and a factory for kinds the toolkit does not know.

#include <functional>
#include <memory>
#include <string>

#include "ui/toolkit/control.h"
#include "ui/toolkit/skin_resources.h"
#include "ui/toolkit/window_attributes.h"

namespace ui {

// A new element for the kind, or null to let the toolkit make its own.
using ControlFactory = std::function<std::unique_ptr<Control>(const std::wstring& kind)>;
using TextLookup = std::function<std::wstring(const std::wstring& key)>;

struct BuiltLayout {
    std::unique_ptr<Control> root;  // null when the layout cannot be built
    WindowAttributes window;
    FontTable fonts;
};

// The toolkit's own element of that kind, or null for an unknown kind.
std::unique_ptr<Control> CreateStandardControl(const std::wstring& kind);

class CLayoutBuilder {
public:
    CLayoutBuilder(const CSkinResources& skin, ControlFactory factory, TextLookup lookup);

    // Malformed XML, a missing file or Include, or a file without content
    // gives a null root and one level-0 log line naming the file.
    BuiltLayout Build(const std::wstring& file);
    // The same over a document in memory (`file` names it in log lines).
    BuiltLayout BuildFromText(std::string_view xml, const std::wstring& file);

private:
    class Run;
    const CSkinResources& skin_;
    ControlFactory factory_;
    TextLookup lookup_;
};

}  // namespace ui
