// The six layout files of the skin archive, read as shipped: well-formed, and
// every image, language key, included file and font they name exists; every
// element the windows address by name is there exactly once.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "lang/lang_pack.h"
#include "shell/text_convert.h"

namespace {

const std::string kSkinDir = KALO_SKIN_DIR;
const std::string kEnglishPack = KALO_ENGLISH_PACK;

const std::set<std::string> kLayoutFiles = {
    "main_window.xml", "main_window_layer_welcome.xml", "main_window_layer_result.xml",
    "minimum_config_window.xml", "display_interface_intro_wnd.xml", "msgwnd.xml"};

// The images of the archive: 46 under image/ and the 32 animation frames.
const std::set<std::string>& ArchiveImages() {
    static const std::set<std::string> images = [] {
        std::set<std::string> set;
        for (const char* name :
             {"bg_display_interface_intro_wnd", "bg_shadow", "bk_minimum", "bk_msg", "bk_result", "bk_welcome", "btn",
              "btn_h", "btn_m", "btn_m_h", "btn_m_p", "btn_p", "close", "close_h", "close_m_white", "close_p",
              "close_white", "close_white_h", "combo", "combo_bk", "combo_h", "combo_p",
              "display_interface_intro_content", "display_interface_intro_header", "ellipse_green_small",
              "ellipse_red_small", "icon_big_error", "icon_big_succeed", "icon_big_unknown", "icon_cpu",
              "icon_driver_version", "icon_gpu", "icon_os", "icon_ram", "icon_small_error", "icon_small_succeed",
              "icon_small_unknown", "logo_big", "logo_small", "min", "min_h", "min_p", "min_white", "min_white_h",
              "scroll_ba_thumb", "steam_close"}) {
            set.insert(std::string("image/") + name + ".png");
        }
        for (int frame = 0; frame <= 31; ++frame) {
            char path[64];
            std::snprintf(path, sizeof path, "check_loading/loading_%05d.png", frame);
            set.insert(path);
        }
        return set;
    }();
    return images;
}

const LangTextTable& EnglishTexts() {
    static const LangTextTable texts = [] {
        std::ifstream in(kEnglishPack, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        return ParseLangPack(std::as_bytes(std::span(bytes.data(), bytes.size()))).value_or(LangTextTable{});
    }();
    return texts;
}

// Visits every element of a layout file in tree order, entering the files it
// includes at their place. Failures to load are reported as test failures.
void VisitLayout(const std::string& file, const std::function<void(const std::string&, pugi::xml_node)>& visit) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file((kSkinDir + "/" + file).c_str());
    ASSERT_TRUE(parsed) << file << ": " << parsed.description() << " at offset " << parsed.offset;
    ASSERT_STREQ(document.document_element().name(), "Window") << file;
    std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node node) {
        for (pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            visit(file, child);
            const std::string source = child.attribute("source").value();
            if (std::strcmp(child.name(), "Include") == 0 && kLayoutFiles.count(source) != 0) {
                VisitLayout(source, visit);
            }
            walk(child);
        }
    };
    walk(document);
}

std::set<std::string> DeclaredFonts(const std::string& file) {
    std::set<std::string> ids;
    VisitLayout(file, [&](const std::string& in, pugi::xml_node node) {
        if (in == file && std::strcmp(node.name(), "Font") == 0) ids.insert(node.attribute("id").value());
    });
    return ids;
}

struct LayoutCase {
    const char* file;
    const char* fontsFrom;            // the file whose Font declarations apply
    std::vector<const char*> names;   // addressed by the window: once each, includes entered
    std::vector<const char*> absent;  // addressed by the window but left out of the layout
};

const LayoutCase kLayoutCases[] = {
    {"main_window.xml", "main_window.xml",
     {"tab_main", "ct_mask", "welcome", "check_title", "check_tip", "tab_check_state", "cmb_lang", "start_check",
      "display_interface_intro", "minimum_config_intro", "checking", "tab_result_title", "config_yes",
      "config_yes_tip", "config_no", "config_no_tip", "config_unknow", "config_unknow_tip",
      "config_driver_version_no", "config_driver_version_tip", "cpu_name", "cpu_value", "tab_result_cpu",
      "ram_name", "ram_value", "tab_result_ram", "gpu_name", "gpu_value", "tab_result_gpu", "driver_version_name",
      "driver_version_value", "tab_result_driver_version", "os_name", "os_value", "tab_result_os", "back_btn",
      "display_interface_intro_result", "minimum_config_intro_result"},
     {}},
    {"main_window_layer_welcome.xml", "main_window.xml", {"minbtn", "closebtn"}, {}},
    {"main_window_layer_result.xml", "main_window.xml", {"minbtn", "closebtn"}, {}},
    {"minimum_config_window.xml", "minimum_config_window.xml",
     {"closebtn", "minimum_title", "know_btn", "loading", "tab_load", "cpu_name", "ram_name", "gpu_name", "os_name",
      "dp_name", "usb_name", "disk_name", "cpu_value", "ram_value", "gpu_value", "os_value", "dp_value", "usb_value",
      "disk_value"},
     {}},
    {"display_interface_intro_wnd.xml", "display_interface_intro_wnd.xml",
     {"closebtn", "lb_title", "lb_refresh_rate", "lb_interface_high", "lb_tips", "lb_72hz", "lb_90hz", "lb_120hz",
      "lb_72hz_high_intro", "lb_90hz_high_intro", "lb_120hz_high_intro"},
     {"lb_interface_hdmi", "lb_72hz_hdmi_intro", "lb_90hz_hdmi_intro", "lb_120hz_hdmi_intro"}},
    {"msgwnd.xml", "msgwnd.xml",
     {"closebtn", "msgbox_title", "msgbox_text", "msgbox_type_1", "msgbox_type_2", "btn_msgbox_ok",
      "btn_msgbox_cancel", "btn_msgbox_ok2"},
     {}},
};

void PrintTo(const LayoutCase& layout, std::ostream* out) { *out << layout.file; }

class SkinLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SkinLayout, NamesOnlyWhatExists) {
    const LayoutCase& layout = GetParam();
    ASSERT_FALSE(EnglishTexts().empty());
    const std::set<std::string> fonts = DeclaredFonts(layout.fontsFrom);
    const std::regex imagePath(R"([A-Za-z0-9_/]+\.png)");
    std::multiset<std::string> names;

    VisitLayout(layout.file, [&](const std::string& file, pugi::xml_node node) {
        names.insert(node.attribute("name").value());
        const std::string where = file + ": <" + node.name() + " name=\"" + node.attribute("name").value() + "\">";
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const std::string key = attribute.name();
            const std::string value = attribute.value();
            if (key == "imageformat") {  // a printf pattern over the frame numbers
                const int first = node.attribute("framebegin").as_int();
                const int last = node.attribute("frameend").as_int();
                EXPECT_GT(last, first) << where;
                for (int frame = first; frame <= last; ++frame) {
                    char path[128];
                    std::snprintf(path, sizeof path, value.c_str(), frame);
                    EXPECT_EQ(ArchiveImages().count(path), 1u) << where << " frame " << path;
                }
                continue;
            }
            for (std::sregex_iterator it(value.begin(), value.end(), imagePath), end; it != end; ++it) {
                EXPECT_EQ(ArchiveImages().count(it->str()), 1u) << where << " " << key << "=" << it->str();
            }
            if (key == "textid") {
                EXPECT_EQ(EnglishTexts().count(Utf8ToWide(value)), 1u) << where << " " << value;
            }
            if (key == "font" || key == "itemfont") {
                EXPECT_EQ(fonts.count(value), 1u) << where << " font " << value;
            }
        }
        if (std::strcmp(node.name(), "Include") == 0) {
            EXPECT_EQ(kLayoutFiles.count(node.attribute("source").value()), 1u)
                << where << " source=" << node.attribute("source").value();
        }
    });

    for (const char* name : layout.names) EXPECT_EQ(names.count(name), 1u) << name;
    for (const char* name : layout.absent) EXPECT_EQ(names.count(name), 0u) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, SkinLayout, testing::ValuesIn(kLayoutCases), [](const auto& info) {
    const std::string file = info.param.file;
    return file.substr(0, file.find('.'));
});

// The artwork is drawn to the sizes in image_sizes.txt, so it must list the
// archive's images, each once.
TEST(SkinImageSizes, ListsEveryArchiveImageOnce) {
    std::ifstream in(kSkinDir + "/image_sizes.txt");
    ASSERT_TRUE(in) << "image_sizes.txt";
    std::multiset<std::string> listed;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string path, corners;
        int width = 0, height = 0;
        EXPECT_TRUE(fields >> path >> width >> height >> corners) << line;
        EXPECT_GT(width, 0) << line;
        EXPECT_GT(height, 0) << line;
        listed.insert(path);
    }
    std::vector<std::string> unmatched;  // listed but not in the archive, or the other way round
    std::set_symmetric_difference(listed.begin(), listed.end(), ArchiveImages().begin(), ArchiveImages().end(),
                                  std::back_inserter(unmatched));
    EXPECT_EQ(unmatched, std::vector<std::string>{});
    EXPECT_EQ(listed.size(), ArchiveImages().size());
}

}  // namespace
