// The keyboard over a real layout on the test host: the Tab order, the keys
// of buttons, links and the combo, the default and cancel buttons, the focus
// after a page change, and the focus ring only after keys.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/ui/toolkit/skin_fixture.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/paint_manager.h"

namespace ui::test {
namespace {

// A caption row with two buttons; two pages (a button, a link and a plain
// text; a button); a disabled and a hidden button; a combo of four items
// with room for two; the default (after a name that does not exist) and the
// cancel button.
const char* kKeyboardPage =
    "<Window size='400,400' caption='0,0,0,40' focuscolor='#FF112233' defaultbutton='missing,ok'"
    " cancelbutton='cancel'><Font id='0' name='F' size='12'/>"
    "<VerticalLayout>"
    " <HorizontalLayout height='40'><Button name='min' width='20'/>"
    "  <Button name='close' width='20' focuscolor='#FFFFFFFF'/></HorizontalLayout>"
    " <TabLayout name='pages' height='60'>"
    "  <VerticalLayout><Button name='p0' height='20' focusradius='10'/>"
    "   <Text name='link' height='20' text='more' cursor='hand'/><Text name='plain' height='20' text='plain'/>"
    "  </VerticalLayout>"
    "  <VerticalLayout><Button name='p1' height='20'/></VerticalLayout>"
    " </TabLayout>"
    " <Button name='off' height='20' enabled='false'/><Button name='hidden' height='20' visible='false'/>"
    " <Combo name='cmb' height='30' itemheight='20' dropboxsize='0,40'>"
    "  <ListLabelElement text='a'/><ListLabelElement text='b'/><ListLabelElement text='c'/>"
    "  <ListLabelElement text='d'/></Combo>"
    " <Button name='ok' height='20'/><Button name='cancel' height='20'/>"
    "</VerticalLayout></Window>";

// What the window heard, as words: "click p0", "select 2".
class CHeard : public INotifyUI {
public:
    void Notify(const TNotifyUI& message) override {
        std::ostringstream line;
        if (message.type == L"click") line << "click " << Narrow(message.sender->GetName());
        else line << "select " << message.wParam;
        words.push_back(line.str());
    }
    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
    std::vector<std::string> words;
};

// "Tab", "S-Tab", "A-Down", "Enter"... separated by spaces.
std::vector<KeyPress> Keys(const std::string& sequence) {
    static const std::pair<const char*, Key> kNames[] = {
        {"Tab", Key::Tab},   {"Enter", Key::Enter}, {"Space", Key::Space}, {"Esc", Key::Escape},
        {"Up", Key::Up},     {"Down", Key::Down},   {"Home", Key::Home},   {"End", Key::End},
        {"F4", Key::F4},     {"X", Key::Other}};
    std::vector<KeyPress> keys;
    std::istringstream words(sequence);
    for (std::string word; words >> word;) {
        KeyPress key;
        if (word.rfind("S-", 0) == 0) key.shift = true, word = word.substr(2);
        if (word.rfind("A-", 0) == 0) key.alt = true, word = word.substr(2);
        for (const auto& [name, value] : kNames) {
            if (word == name) key.key = value;
        }
        keys.push_back(key);
    }
    return keys;
}

// The layout in a paint manager, with what its window heard.
class CKeyboardWindow {
public:
    CKeyboardWindow() : skin(OneLayout(kKeyboardPage)) {
        EXPECT_TRUE(skin.Load(L"w.xml"));
        skin.manager->AddNotifier(&heard);
    }
    void Press(const std::string& sequence) {
        for (const KeyPress& key : Keys(sequence)) skin.manager->OnKeyDown(key);
    }
    std::string FocusName() const {
        const Control* focus = skin.manager->GetFocus();
        return focus != nullptr ? CHeard::Narrow(focus->GetName()) : "";
    }
    Combo& TheCombo() { return *static_cast<Combo*>(skin.manager->FindControl(L"cmb")); }
    // The focus ring's draw calls of one full paint.
    std::vector<DrawCall> Rings() {
        CTestCanvas canvas;
        skin.manager->OnPaint(canvas, {0, 0, 400, 400});
        std::vector<DrawCall> rings;
        for (const DrawCall& call : canvas.calls) {
            if (call.kind == DrawCall::Frame) rings.push_back(call);
        }
        return rings;
    }

    SkinFixture skin;
    CHeard heard;
};

struct KeyCase {
    const char* what;
    const char* keys;
    const char* focus;                // after the keys; "" for none
    std::vector<std::string> heard;   // what the window heard, in order
    bool listOpen = false;
};

const KeyCase kKeyCases[] = {
    {"Tab walks the shown page in reading order, past plain text, disabled and hidden elements",
     "Tab Tab Tab Tab Tab Tab", "ok", {}},
    {"Tab goes round from the last to the first", "Tab Tab Tab Tab Tab Tab Tab Tab", "min", {}},
    {"Shift+Tab from nothing starts at the last", "S-Tab", "cancel", {}},
    {"Shift+Tab from the first goes round to the last", "Tab S-Tab", "cancel", {}},
    {"keys the toolkit has no use for change nothing", "X X", "", {}},
    {"Enter with nothing focused presses the first shown default button", "Enter", "", {"click ok"}},
    {"Escape presses the cancel button", "Esc", "", {"click cancel"}},
    {"Space presses the focused button", "Tab Tab Tab Space", "p0", {"click p0"}},
    {"Enter presses the focused button, not the default", "Tab Enter", "min", {"click min"}},
    {"Enter follows the focused link", "Tab Tab Tab Tab Enter", "link", {"click link"}},
    {"Enter opens the combo's list; Down and Enter pick", "S-Tab S-Tab S-Tab Enter Down Enter", "cmb",
     {"select 0"}},
    {"Escape closes the list unchanged and leaves the window alone", "S-Tab S-Tab S-Tab Space Down Esc", "cmb",
     {}},
    {"Alt+Down opens; End and Space pick the last", "S-Tab S-Tab S-Tab A-Down End Space", "cmb", {"select 3"}},
    {"F4 opens and Home picks the first after End", "S-Tab S-Tab S-Tab F4 End Home Enter", "cmb",
     {"select 0"}},
    {"the open list keeps Up and Down to itself", "S-Tab S-Tab S-Tab F4 Down Down Up", "cmb", {}, true},
    {"Tab closes an open list unchanged and moves on", "S-Tab S-Tab S-Tab F4 Down Tab", "ok", {}},
    {"Up and Down on the closed combo change the selection as the wheel does",
     "S-Tab S-Tab S-Tab Down Down Up Up Up", "cmb", {"select 0", "select 1", "select 0"}},
};

TEST(Keyboard, KeySequencesMoveTheFocusAndPressWhatTheyShould) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.what);
        CKeyboardWindow fresh;
        fresh.Press(c.keys);
        EXPECT_EQ(fresh.FocusName(), c.focus);
        EXPECT_EQ(fresh.heard.words, c.heard);
        EXPECT_EQ(fresh.TheCombo().IsOpen(), c.listOpen);
    }
}

TEST(Keyboard, TheRingShowsAfterKeysInTheElementsShapeAndGoesWithAMousePress) {
    CKeyboardWindow w;
    w.Press("Tab Tab Tab");  // p0: focusradius 10
    std::vector<DrawCall> rings = w.Rings();
    ASSERT_EQ(rings.size(), 1u);
    const Rect p0 = w.skin.PosOf(L"p0");
    EXPECT_EQ(rings[0].rect, (Rect{p0.left - 3, p0.top - 3, p0.right + 3, p0.bottom + 3}));
    EXPECT_EQ(rings[0].color, 0xFF112233u);
    EXPECT_EQ(rings[0].radius, 13);

    w.Press("S-Tab");  // close: the element's own colour
    rings = w.Rings();
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0].color, 0xFFFFFFFFu);

    // A click focuses the button it presses, without a ring.
    const Rect ok = w.skin.PosOf(L"ok");
    const Point at{ok.left + 2, ok.top + 2};
    w.skin.manager->OnMouseDown(MouseButton::Left, at);
    w.skin.manager->OnMouseUp(MouseButton::Left, at);
    EXPECT_EQ(w.FocusName(), "ok");
    EXPECT_TRUE(w.Rings().empty());
    w.Press("Tab");
    EXPECT_EQ(w.FocusName(), "cancel");
    EXPECT_EQ(w.Rings().size(), 1u);
}

TEST(Keyboard, APageChangeTakesTheFocusIntoTheNewPageBelowTheCaption) {
    CKeyboardWindow w;
    auto& pages = static_cast<TabLayout&>(*w.skin.manager->FindControl(L"pages"));
    w.Press("Tab");  // min, in the caption row
    pages.SelectItem(1);
    EXPECT_EQ(w.FocusName(), "p1");
    pages.SelectItem(0);
    EXPECT_EQ(w.FocusName(), "p0");
    // The order never reaches into the hidden page.
    w.Press("Tab Tab Tab Tab Tab Tab Tab");
    EXPECT_EQ(w.FocusName(), "p0");
}

TEST(Keyboard, AListOpensOnTheChosenItemScrolledIntoView) {
    CKeyboardWindow w;
    Combo& combo = w.TheCombo();
    combo.SelectItem(3, false);
    combo.OpenList();
    EXPECT_EQ(combo.GetList().GetHotIndex(), 3);
    EXPECT_EQ(combo.GetList().GetScroll(), 40);  // items 2 and 3 shown in the 40-pixel list
    combo.CloseList();
    combo.SelectItem(1, false);
    combo.OpenList();
    EXPECT_EQ(combo.GetList().GetScroll(), 0);
}

}  // namespace
}  // namespace ui::test
