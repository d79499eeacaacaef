#pragma once
// A real skin archive built in memory from (path, content) pairs, the test
// host, and a paint manager holding the tree built from one layout file.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/zip_writer.h"
#include "tests/ui/support/test_host.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/paint_manager.h"

namespace ui::test {

class SkinFixture {
public:
    explicit SkinFixture(const std::vector<std::pair<std::string, std::string>>& files, ControlFactory factory = {},
                         TextLookup lookup = {}) {
        std::vector<ZipMember> members;
        for (const auto& [path, data] : files) members.push_back(ZipFile(path, data));
        archive_ = BuildZip(members);
        skin = std::make_unique<CSkinResources>(
            host, std::span(reinterpret_cast<const std::byte*>(archive_.data()), archive_.size()));
        builder = std::make_unique<CLayoutBuilder>(*skin, std::move(factory), std::move(lookup));
        manager = std::make_unique<CPaintManager>(*skin, &window);
    }

    // Builds the file into the manager and lays it out at the given size.
    bool Load(const std::wstring& file, Size size = {}) {
        BuiltLayout built = builder->Build(file);
        if (!built.root) return false;
        window_attributes = built.window;
        fonts = built.fonts;
        manager->AttachRoot(std::move(built.root), built.window, built.fonts);
        if (size.cx > 0) manager->SetClientSize(size);
        manager->UpdateLayout();
        return true;
    }
    Rect PosOf(const wchar_t* name) const {
        const Control* control = manager->FindControl(name);
        return control != nullptr ? control->GetPos() : Rect{-1, -1, -1, -1};
    }

    CTestHost host;
    CTestHostWindow window;
    std::unique_ptr<CSkinResources> skin;
    std::unique_ptr<CLayoutBuilder> builder;
    std::unique_ptr<CPaintManager> manager;
    WindowAttributes window_attributes;
    FontTable fonts;

private:
    std::string archive_;
};

// A one-file skin: the layout as "w.xml".
inline std::vector<std::pair<std::string, std::string>> OneLayout(std::string xml) {
    return {{"w.xml", std::move(xml)}};
}

}  // namespace ui::test
