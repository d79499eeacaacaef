#include "ui/toolkit/layout_builder.h"

#include <pugixml.hpp>

#include <cstring>
#include <vector>

#include "shell/log.h"
#include "shell/text_convert.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/label.h"

namespace ui {

namespace {

// Includes nest no deeper than this, so a file including itself ends.
constexpr int kMaxIncludeDepth = 8;
constexpr const char* kTag = "CLayoutBuilder::Build";

std::wstring Wide(const char* text) { return Utf8ToWide(text); }

void ReadWindowAttribute(WindowAttributes& window, const std::wstring& name, const std::wstring& value) {
    if (name == L"size") {
        const Size size = ParseSize(value);
        window.size = {std::max(size.cx, 0), std::max(size.cy, 0)};
    } else if (name == L"caption") window.caption = ParseRect(value);
    else if (name == L"bktrans") window.transparent = ParseBool(value);
    else if (name == L"showshadow") window.showShadow = ParseBool(value);
    else if (name == L"shadowimage") window.shadowImage = value;
    else if (name == L"shadowcorner") {
        const Rect r = ParseRect(value);
        window.shadowCorner = {r.left, r.top, r.right, r.bottom};
    } else if (name == L"maxinfo") window.maxInfo = ParseSize(value);
    else window.others.emplace_back(name, value);
}

}  // namespace

std::unique_ptr<Control> CreateStandardControl(const std::wstring& kind) {
    if (kind == L"Control") return std::make_unique<Control>();
    if (kind == L"Label") return std::make_unique<Label>();
    if (kind == L"Text") return std::make_unique<Text>();
    if (kind == L"Button") return std::make_unique<Button>();
    if (kind == L"Combo") return std::make_unique<Combo>();
    if (kind == L"ListLabelElement") return std::make_unique<ListLabelElement>();
    if (kind == L"VerticalLayout") return std::make_unique<VerticalLayout>();
    if (kind == L"HorizontalLayout") return std::make_unique<HorizontalLayout>();
    if (kind == L"TabLayout") return std::make_unique<TabLayout>();
    if (kind == L"Container") return std::make_unique<Container>();
    return nullptr;
}

// One build: the result so far and the files it has read.
class CLayoutBuilder::Run {
public:
    explicit Run(CLayoutBuilder& builder) : builder_(builder) {}

    bool BuildFile(const std::wstring& file, std::string_view xml, int depth, Control* parent) {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed =
            document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
        if (!parsed) {
            CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls is not well-formed XML (offset %d)", file.c_str(),
                                   static_cast<int>(parsed.offset));
            return false;
        }
        const pugi::xml_node top = document.document_element();
        if (std::strcmp(top.name(), "Window") == 0) {
            if (depth == 0) {
                for (const pugi::xml_attribute attribute : top.attributes()) {
                    ReadWindowAttribute(result.window, Wide(attribute.name()), Wide(attribute.value()));
                }
            }
            return BuildChildren(top, file, depth, parent);
        }
        return BuildNode(top, file, depth, parent);
    }

    bool BuildChildren(const pugi::xml_node node, const std::wstring& file, int depth, Control* parent) {
        for (const pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (!BuildNode(child, file, depth, parent)) return false;
        }
        return true;
    }

    bool BuildNode(const pugi::xml_node node, const std::wstring& file, int depth, Control* parent) {
        const std::wstring kind = Wide(node.name());
        if (kind == L"Font") {
            ReadFont(node);
            return true;
        }
        if (kind == L"Include") return Include(Wide(node.attribute("source").value()), file, depth, parent);
        if (kind == L"Default" || kind == L"Image" || kind == L"Style") return true;  // declarations we do not use
        std::unique_ptr<Control> control = builder_.factory_ ? builder_.factory_(kind) : nullptr;
        if (!control) control = CreateStandardControl(kind);
        if (!control) {
            CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls: unknown element %ls", file.c_str(), kind.c_str());
            return true;
        }
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const std::wstring name = Wide(attribute.name());
            const std::wstring value = Wide(attribute.value());
            control->SetAttribute(name, value);
            if (name == L"textid" && builder_.lookup_) control->SetAttribute(L"text", builder_.lookup_(value));
            if (name == L"font") fontUses_.push_back({control->GetFontId(), file});
        }
        Control* self = control.get();
        if (parent == nullptr) {
            if (result.root) {
                CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls: more than one root element", file.c_str());
                return true;
            }
            result.root = std::move(control);
        } else if (!parent->Add(std::move(control))) {
            return true;  // the parent holds no children of this kind: dropped
        }
        return BuildChildren(node, file, depth, self);
    }

    bool Include(const std::wstring& source, const std::wstring& file, int depth, Control* parent) {
        if (depth + 1 > kMaxIncludeDepth) {
            CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls: includes nest too deep at %ls", file.c_str(), source.c_str());
            return false;
        }
        const std::optional<std::vector<std::byte>> bytes = builder_.skin_.ReadFile(source);
        if (!bytes) {
            CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls: included file %ls is missing", file.c_str(), source.c_str());
            return false;
        }
        const std::string_view xml(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        return BuildFile(source, xml, depth + 1, parent);
    }

    void ReadFont(const pugi::xml_node node) {
        FontTable::Entry entry;
        entry.id = ParseInt(Wide(node.attribute("id").value()));
        entry.font.family = Wide(node.attribute("name").value());
        const int size = ParseInt(Wide(node.attribute("size").value()));
        entry.font.pixelSize = size > 0 ? std::min(size, 1000) : 12;
        entry.font.bold = ParseBool(Wide(node.attribute("bold").value()));
        entry.font.underline = ParseBool(Wide(node.attribute("underline").value()));
        if (ParseBool(Wide(node.attribute("default").value())) || result.fonts.fonts.empty()) {
            result.fonts.defaultFont = entry.font;
        }
        result.fonts.fonts.push_back(std::move(entry));
    }

    // An element naming a font the layout does not declare falls back to the
    // default font; said once per id.
    void ReportUnknownFonts() {
        std::vector<int> reported;
        for (const auto& [id, file] : fontUses_) {
            if (result.fonts.Has(id) || std::find(reported.begin(), reported.end(), id) != reported.end()) continue;
            reported.push_back(id);
            CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls: unknown font id %d, default font used", file.c_str(), id);
        }
    }

    BuiltLayout result;

private:
    CLayoutBuilder& builder_;
    std::vector<std::pair<int, std::wstring>> fontUses_;
};

CLayoutBuilder::CLayoutBuilder(const CSkinResources& skin, ControlFactory factory, TextLookup lookup)
    : skin_(skin), factory_(std::move(factory)), lookup_(std::move(lookup)) {}

BuiltLayout CLayoutBuilder::Build(const std::wstring& file) {
    const std::optional<std::vector<std::byte>> bytes = skin_.ReadFile(file);
    if (!bytes) {
        CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls is not in the skin archive", file.c_str());
        return {};
    }
    return BuildFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), file);
}

BuiltLayout CLayoutBuilder::BuildFromText(std::string_view xml, const std::wstring& file) {
    Run run(*this);
    if (!run.BuildFile(file, xml, 0, nullptr)) return {};
    if (!run.result.root) {
        CCTLog::Instance().Log(LogLevel::Error, kTag, L"layout %ls holds no element", file.c_str());
        return {};
    }
    run.ReportUnknownFonts();
    return std::move(run.result);
}

}  // namespace ui
