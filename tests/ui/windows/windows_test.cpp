// The window base and the two small windows as real windows on the
// platform's host (Qt offscreen on Linux, Win32 and GDI+ on Windows), with the
// embedded skin, fonts and language packs.
// Clicks go in as the host would deliver them; modal runs are real nested
// loops. Each window is saved under screenshots/ for people to look at.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "app/startup_messages.h"
#include "shell/text_convert.h"
#include "tests/ui/support/embedded_skin.h"
#include "tests/ui/support/host_fixture.h"
#include "tests/ui/support/window_input.h"
#include "ui/base/base_wnd.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"
#include "ui/windows/display_interface_intro_wnd.h"
#include "ui/windows/vr_msg_wnd.h"

namespace ui::test {
namespace {

// The host, fonts and one language's texts as start-up leaves them.
class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterEmbeddedFonts(TestHost());
        UseLanguage("en");
    }
    void UseLanguage(const std::string& code) {
        texts_ = EmbeddedPackOf(code);
        ASSERT_FALSE(texts_.empty()) << code;
        InitLang(LookupIn(texts_));
    }
    std::wstring Text(const wchar_t* key) { return texts_.count(key) ? texts_[key] : L""; }

private:
    LangTextTable texts_;
};

// Runs `window` modally while `during` runs inside its loop.
int RunModalWhile(CWindowImplBase& window, std::function<void()> during) {
    PlatformHost()->Post(std::move(during));
    return window.ShowModal();
}

void SaveScreenshot(CWindowImplBase& window, const std::string& name) {
    window.GetPaintManager()->UpdateLayout();
    EXPECT_FALSE(Screenshot(*window.GetHostWindow(), name).IsEmpty()) << name;
}

// A window over any shipped layout, with the protected parts in reach.
class CLayoutWindow : public CBaseWnd {
public:
    explicit CLayoutWindow(std::wstring layout) : layout_(std::move(layout)) {}
    using CBaseWnd::OnClick;
    std::function<void(const TNotifyUI&)> notified;

protected:
    std::wstring GetWindowClassName() const override { return L"KALO_TEST_WND"; }
    std::wstring GetSkinFile() const override { return layout_; }
    void Notify(const TNotifyUI& message) override {
        if (notified) notified(message);
        CBaseWnd::Notify(message);
    }

private:
    std::wstring layout_;
};

TEST_F(WindowsTest, MessageBoxShowsTheButtonSetOfItsTypeAndReturnsTheCodeOfThePressedButton) {
    struct Case {
        const char* name;
        const wchar_t* title;
        int type;
        const wchar_t* confirm;
        const wchar_t* cancel;
        const wchar_t* press;  // null: the window manager closes it
        int code;
        const wchar_t* shownButton;
        const wchar_t* shownText;
    };
    const Case kCases[] = {
        {"ok", L"tips", kMessageBoxOk, L"OK", L"Cancel", L"btn_msgbox_ok2", kCodeOk, L"btn_msgbox_ok2", L"OK"},
        {"ok closed", L"tips", kMessageBoxOk, L"OK", L"", L"closebtn", kCodeCancel, L"btn_msgbox_ok2", L"OK"},
        {"ok without caption", L"", kMessageBoxOk, L"", L"", L"btn_msgbox_ok2", kCodeOk, L"btn_msgbox_ok2",
         L"\u786E\u5B9A"},
        {"unknown type", L"tips", 3, L"OK", L"", L"btn_msgbox_ok2", kCodeOk, L"btn_msgbox_ok2", L"\u786E\u5B9A"},
        {"ok cancel", L"tips", kMessageBoxOkCancel, L"OK", L"Cancel", L"btn_msgbox_ok", kCodeOk, L"btn_msgbox_cancel",
         L"Cancel"},
        {"ok cancel, cancel", L"tips", kMessageBoxOkCancel, L"OK", L"Cancel", L"btn_msgbox_cancel", kCodeCancel,
         L"btn_msgbox_ok", L"OK"},
        {"yes", L"tips", kMessageBoxYesNo, L"Yes", L"No", L"btn_msgbox_ok", kCodeYes, L"btn_msgbox_ok", L"Yes"},
        {"no", L"tips", kMessageBoxYesNo, L"Yes", L"No", L"btn_msgbox_cancel", kCodeNo, L"btn_msgbox_cancel", L"No"},
        {"yes-no closed", L"tips", kMessageBoxYesNo, L"Yes", L"No", L"closebtn", kCodeNo, L"btn_msgbox_ok", L"Yes"},
        {"yes-no by window manager", L"tips", kMessageBoxYesNo, L"Yes", L"No", nullptr, kCodeNo, L"btn_msgbox_ok",
         L"Yes"},
        {"retry", L"tips", kMessageBoxRetryCancel, L"Retry", L"Cancel", L"btn_msgbox_ok", kCodeRetry,
         L"btn_msgbox_ok", L"Retry"},
        {"retry, cancel", L"tips", kMessageBoxRetryCancel, L"Retry", L"Cancel", L"btn_msgbox_cancel", kCodeCancel,
         L"btn_msgbox_cancel", L"Cancel"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        CVRMsgWnd box(c.title, L"Initialize failed!", c.type, c.confirm, c.cancel);
        ASSERT_TRUE(box.Create(nullptr, L"native title", kStylePopupDialog, 0));
        box.CenterWindow();
        const bool twoButtons = c.type == kMessageBoxOkCancel || c.type == kMessageBoxYesNo ||
                                c.type == kMessageBoxRetryCancel;
        EXPECT_EQ(Find(box, L"msgbox_type_1")->IsVisible(), twoButtons);
        EXPECT_EQ(Find(box, L"msgbox_type_2")->IsVisible(), !twoButtons);
        EXPECT_EQ(Find(box, c.shownButton)->GetText(), c.shownText);
        EXPECT_EQ(Find(box, L"msgbox_title")->GetText(), c.title);
        EXPECT_EQ(box.GetHostWindow()->Title(), *c.title ? c.title : L"native title");
        EXPECT_EQ(Find(box, L"msgbox_text")->GetText(), L"Initialize failed!");
        // The button rows stand where the window's design puts them.
        box.GetPaintManager()->UpdateLayout();
        if (twoButtons) {
            EXPECT_EQ(PosOf(box, L"btn_msgbox_ok"), (Rect{68, 228, 248, 272}));
            EXPECT_EQ(PosOf(box, L"btn_msgbox_cancel"), (Rect{272, 228, 452, 272}));
        } else {
            EXPECT_EQ(PosOf(box, L"btn_msgbox_ok2"), (Rect{170, 228, 350, 272}));
        }
        EXPECT_EQ(PosOf(box, L"closebtn"), (Rect{480, 22, 500, 42}));
        EXPECT_EQ(PosOf(box, L"msgbox_title"), (Rect{166, 105, 356, 126}));
        EXPECT_EQ(PosOf(box, L"msgbox_text"), (Rect{79, 142, 441, 205}));  // room for three lines
        if (c.type == kMessageBoxOk || c.type == kMessageBoxYesNo) {
            SaveScreenshot(box, std::string("msgwnd_type") + std::to_string(c.type) + (*c.confirm ? "" : "_default"));
        }
        const int code = RunModalWhile(box, [&box, &c] {
            if (c.press != nullptr) {
                Click(box, c.press);
            } else {
                static_cast<IHostWindowEvents&>(box).OnCloseRequested();
            }
        });
        EXPECT_EQ(code, c.code);
        EXPECT_FALSE(box.GetHostWindow()->IsVisible());
    }
}

// The keys as the host delivers them, inside each window's modal run: Enter
// presses the default button, Escape closes with the close button's code,
// Tab walks the buttons. The focus ring of the last step is saved.
TEST_F(WindowsTest, KeysCloseEachWindowWithTheCodeOfTheButtonTheyPress) {
    const KeyPress tab{Key::Tab}, enter{Key::Enter}, space{Key::Space}, escape{Key::Escape};
    struct Case {
        const char* name;
        int type;  // a message box's; -1: the video-port window
        std::vector<KeyPress> keys;
        int code;
        const char* screenshot;  // of the focus before the last key; null: none
    };
    const Case kCases[] = {
        {"ok: Enter presses OK", kMessageBoxOk, {enter}, kCodeOk, nullptr},
        {"ok: Escape answers as the close button", kMessageBoxOk, {escape}, kCodeCancel, nullptr},
        {"ok cancel: Enter presses the confirm button", kMessageBoxOkCancel, {enter}, kCodeOk, nullptr},
        {"ok cancel: Escape cancels", kMessageBoxOkCancel, {escape}, kCodeCancel, nullptr},
        {"yes no: Escape says no", kMessageBoxYesNo, {escape}, kCodeNo, nullptr},
        {"yes no: Tab past close and yes, Space on no", kMessageBoxYesNo, {tab, tab, tab, space}, kCodeNo,
         "focus_msgwnd_no"},
        {"retry: Tab past close, Enter on retry", kMessageBoxRetryCancel, {tab, tab, enter}, kCodeRetry,
         "focus_msgwnd_retry"},
        {"ok: Tab on close, Enter closes", kMessageBoxOk, {tab, enter}, kCodeCancel, "focus_msgwnd_close"},
        {"video ports: Escape closes", -1, {escape}, 1, nullptr},
        {"video ports: Tab on close, Space closes", -1, {tab, space}, 1, "focus_display_interface_intro"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CWindowImplBase> window;
        if (c.type >= 0) {
            window = std::make_unique<CVRMsgWnd>(L"tips", L"Initialize failed!", c.type, L"OK", L"Cancel");
            ASSERT_TRUE(window->Create(nullptr, L"tips", kStylePopupDialog, 0));
        } else {
            window = std::make_unique<DisplayInterfaceIntroWnd>();
            ASSERT_TRUE(window->Create(nullptr, L"", kStyleOverlappedWindow, kExStyleWindowEdge));
        }
        CWindowImplBase& shown = *window;
        const int code = RunModalWhile(shown, [&shown, &c] {
            IHostWindowEvents& events = shown;
            for (size_t i = 0; i + 1 < c.keys.size(); ++i) events.OnKeyDown(c.keys[i]);
            if (c.screenshot != nullptr) SaveScreenshot(shown, c.screenshot);
            events.OnKeyDown(c.keys.back());
        });
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(WindowsTest, TheMainLayoutsTabOrderIsItsReadingOrderOnEachPage) {
    CLayoutWindow window(L"main_window.xml");
    ASSERT_TRUE(window.Create(nullptr, L"KALO", kStyleOverlappedWindow, 0));
    CPaintManager& manager = *window.GetPaintManager();
    auto names = [&manager] {
        std::vector<std::wstring> order;
        for (const Control* control : manager.FocusOrder()) order.push_back(control->GetName());
        return order;
    };
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"minbtn", L"closebtn", L"cmb_lang", L"start_check",
                                                   L"display_interface_intro", L"minimum_config_intro"}));
    IHostWindowEvents& events = window;
    for (int i = 0; i < 4; ++i) events.OnKeyDown({Key::Tab});
    SaveScreenshot(window, "focus_main_welcome");
    window.SelectPage(L"tab_main", 1);
    EXPECT_EQ(manager.GetFocus(), Find(window, L"back_btn"));  // the page's first element below the caption
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"minbtn", L"closebtn", L"back_btn",
                                                   L"display_interface_intro_result",
                                                   L"minimum_config_intro_result"}));
    SaveScreenshot(window, "focus_main_result");
}

// Each start-up message in the texts a Chinese, an English and a Russian
// system get (the saved choice's language picks Chinese or English), whole.
TEST_F(WindowsTest, StartupMessagesShowTheirTextsOnTheOneButton) {
    using startup::StartupMessage;
    const struct { const char* system; int language; } kSystems[] = {{"cn", 0}, {"en", 1}, {"ru", 1}};
    for (const auto& [system, language] : kSystems) {
        for (const StartupMessage message :
             {StartupMessage::PlatformInitFailed, StartupMessage::DataFolderFailed,
              StartupMessage::LanguageSetupFailed, StartupMessage::LanguageLoadFailed}) {
            const startup::StartupMessageTexts texts = startup::TextsOf(message, language);
            CVRMsgWnd box(texts.caption, texts.text, kMessageBoxOk, texts.confirm, texts.cancel);
            ASSERT_TRUE(box.Create(nullptr, texts.caption, kStylePopupDialog, 0));
            EXPECT_EQ(Find(box, L"btn_msgbox_ok2")->GetText(), texts.confirm);
            EXPECT_FALSE(Find(box, L"msgbox_type_1")->IsVisible());
            // The whole text fits its element, wrapped as the label wraps it.
            box.GetPaintManager()->UpdateLayout();
            const Control* text = Find(box, L"msgbox_text");
            const Rect room = text->GetPos().Deflated(text->GetTextPadding());
            const Size needed = TestHost().MeasuringCanvas().MeasureText(
                texts.text, box.GetPaintManager()->GetFont(1), room.Width(), kTextWordBreak);
            EXPECT_LE(needed.cx, room.Width()) << WideToUtf8(texts.text);
            EXPECT_LE(needed.cy, room.Height()) << WideToUtf8(texts.text);
            SaveScreenshot(box, "startup_m" + std::to_string(static_cast<int>(message) + 1) + "_" + system);
        }
    }
}

// A text longer than one line wraps, centred, within the text element.
TEST_F(WindowsTest, ALongMessageWrapsWithinItsElement) {
    const std::wstring text =
        L"The data folder could not be set up because another program holds it; please quit and run the "
        L"program again.";
    CVRMsgWnd box(L"tips", text, kMessageBoxOk, L"OK");
    ASSERT_TRUE(box.Create(nullptr, L"tips", kStylePopupDialog, 0));
    box.GetPaintManager()->UpdateLayout();
    const Control* element = Find(box, L"msgbox_text");
    const Rect room = element->GetPos().Deflated(element->GetTextPadding());
    const Size needed =
        TestHost().MeasuringCanvas().MeasureText(text, box.GetPaintManager()->GetFont(1), room.Width(), kTextWordBreak);
    EXPECT_GT(needed.cy, 30) << "more than one line";
    EXPECT_LE(needed.cy, room.Height());
    SaveScreenshot(box, "msgwnd_long_text");
}

TEST_F(WindowsTest, ShowMessageBoxRunsOneBoxAndReturnsItsCode) {
    // The window manager closes the box from inside its loop: the close
    // counts as the cancelling close button.
    PlatformHost()->Post([] { CloseWindowsTitled(L"tips"); });
    EXPECT_EQ(ShowMessageBox(nullptr, L"tips", L"Initialize failed!", L"\u786E\u5B9A", L"\u53D6\u6D88", 0), kCodeCancel);
}

TEST_F(WindowsTest, VideoPortWindowShowsItsTableInEveryLanguage) {
    for (const std::string code : {"cn", "en", "ru"}) {
        SCOPED_TRACE(code);
        UseLanguage(code);
        DisplayInterfaceIntroWnd intro;
        ASSERT_TRUE(intro.Create(nullptr, L"", kStyleOverlappedWindow, kExStyleWindowEdge));
        intro.GetPaintManager()->UpdateLayout();
        const struct {
            const wchar_t* element;
            const wchar_t* key;
        } kTexts[] = {
            {L"lb_title", L"IDS_STRING_DISPLAY_INTERFACE_TITLE"},
            {L"lb_refresh_rate", L"IDS_STRING_SCREEN_REFRESH_RATE"},
            {L"lb_interface_high", L"IDS_STRING_INTERFACE_HIGH"},
            {L"lb_tips", L"IDS_STRING_DISPLAY_INTERFACE_TIPS"},
            {L"lb_72hz_high_intro", L"IDS_STRING_REFRESH_RATE_72HZ_DESC1"},
            {L"lb_90hz_high_intro", L"IDS_STRING_REFRESH_RATE_90HZ_DESC1"},
            {L"lb_120hz_high_intro", L"IDS_STRING_REFRESH_RATE_120HZ_DESC1"},
        };
        for (const auto& t : kTexts) {
            EXPECT_FALSE(Text(t.key).empty()) << WideToUtf8(t.key);
            EXPECT_EQ(Find(intro, t.element)->GetText(), Text(t.key)) << WideToUtf8(t.element);
        }
        // The HDMI column is not part of the window.
        EXPECT_EQ(Find(intro, L"lb_72hz_hdmi_intro"), nullptr);
        EXPECT_EQ(Find(intro, L"lb_72hz")->GetText(), L"4K 72Hz");
        EXPECT_EQ(PosOf(intro, L"closebtn"), (Rect{740, 24, 756, 40}));
        EXPECT_EQ(PosOf(intro, L"lb_72hz"), (Rect{43, 140, 283, 220}));
        EXPECT_EQ(PosOf(intro, L"lb_90hz"), (Rect{43, 221, 283, 301}));
        EXPECT_EQ(PosOf(intro, L"lb_120hz"), (Rect{43, 302, 283, 382}));
        EXPECT_EQ(PosOf(intro, L"lb_120hz_high_intro").right, 737);
        EXPECT_EQ(PosOf(intro, L"lb_tips"), (Rect{40, 409, 740, 449}));
        SaveScreenshot(intro, "display_interface_intro_wnd_window_" + code);
        EXPECT_EQ(RunModalWhile(intro, [&intro] { Click(intro, L"closebtn"); }), 1);
    }
}

TEST_F(WindowsTest, WindowBaseOperationsWorkOnTheMainLayout) {
    CLayoutWindow window(L"main_window.xml");
    int itemSelects = 0;
    uintptr_t selectedIndex = 99;
    window.notified = [&](const TNotifyUI& message) {
        if (message.type == L"itemselect") {
            ++itemSelects;
            selectedIndex = message.wParam;
        }
    };
    ASSERT_TRUE(window.Create(nullptr, L"", kStylePopupDialog, 0));
    IHostWindow& host = *window.GetHostWindow();
    // The native caption and frame are gone; children and siblings clip.
    EXPECT_EQ(host.Style(), (kStylePopupDialog & ~kStyleCaption) | kStyleClipChildren | kStyleClipSiblings);
    EXPECT_EQ(host.ClientSize(), (Size{1200, 675}));

    auto* combo = static_cast<Combo*>(Find(window, L"cmb_lang"));
    ASSERT_NE(combo, nullptr);
    const struct {
        int items;
        int listHeight;
    } kGrowth[] = {{1, 36}, {4, 144}, {6, 216}, {7, 216}, {12, 216}};
    for (const auto& g : kGrowth) {
        window.ComboClear(L"cmb_lang");
        EXPECT_EQ(combo->GetDropBoxSize(), (Size{264, 0}));
        for (int i = 0; i < g.items; ++i) window.ComboAddItem(L"cmb_lang", L"code", L"Language", 36);
        EXPECT_EQ(combo->GetCount(), g.items);
        EXPECT_EQ(combo->GetDropBoxSize().cy, g.listHeight) << g.items << " items";
    }
    window.ComboClear(L"cmb_lang");
    window.ComboSelect(L"cmb_lang", 0, false);
    EXPECT_EQ(combo->GetCurSel(), -1);
    for (const wchar_t* name : {L"cn", L"en", L"ru"}) window.ComboAddItem(L"cmb_lang", name, name, 36);
    const struct {
        int index;
        int selected;
    } kSilent[] = {{1, 1}, {-1, -1}, {2, 2}, {7, 2}, {0, 0}};
    for (const auto& s : kSilent) {
        window.ComboSelect(L"cmb_lang", s.index, false);
        EXPECT_EQ(combo->GetCurSel(), s.selected) << s.index;
    }
    EXPECT_EQ(itemSelects, 0);
    window.ComboSelect(L"cmb_lang", 2, true);
    EXPECT_EQ(itemSelects, 1);
    EXPECT_EQ(selectedIndex, 2u);

    window.SetTextByKey(L"welcome", L"IDS_STRING_WELCOME");
    EXPECT_EQ(Find(window, L"welcome")->GetText(), Text(L"IDS_STRING_WELCOME"));
    window.SetTextByKey(L"welcome", L"IDS_STRING_NO_SUCH_KEY");
    EXPECT_EQ(Find(window, L"welcome")->GetText(), L"");
    window.SetText(L"no_such_element", L"x");  // skipped, no crash
    window.SetVisible(L"no_such_element", true);
    window.ComboAddItem(L"no_such_combo", L"cn", L"cn", 36);
    window.ShowMask(true);
    EXPECT_TRUE(Find(window, L"ct_mask")->IsVisible());
    SaveScreenshot(window, "main_window_masked_with_shadow");
    window.ShowMask(false);
    EXPECT_FALSE(Find(window, L"ct_mask")->IsVisible());

    // The drop shadow lies in a margin around the client area.
    const Shot shot = Screenshot(host, "main_window_with_shadow");
    ASSERT_EQ(shot.size, (Size{1260, 735}));
    EXPECT_EQ(shot.AlphaAt(0, 0), 0);
    EXPECT_EQ(shot.AlphaAt(630, 400), 255);

    host.Show();
    Control closeEx;
    closeEx.SetName(L"closebtnex");
    window.OnClick({L"click", &closeEx});
    EXPECT_FALSE(host.IsVisible());
    EXPECT_EQ(RunModalWhile(window, [&window] { Click(window, L"closebtn"); }), 1);
}

TEST_F(WindowsTest, TaskFromAnotherThreadRunsOnTheWindowThreadWhileTheSenderWaits) {
    CLayoutWindow window(L"msgwnd.xml");
    const std::thread::id windowThread = std::this_thread::get_id();
    std::atomic<bool> senderReturned{false};
    bool handledOnWindowThread = false;
    bool senderWasWaiting = false;
    const auto task = [&] {
        handledOnWindowThread = std::this_thread::get_id() == windowThread;
        // Give a sender that did not wait the time to get ahead.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        senderWasWaiting = !senderReturned.load();
        window.Close(5);
    };
    ASSERT_TRUE(window.Create(nullptr, L"", kStylePopupDialog, 0));
    std::thread sender;
    const int code = RunModalWhile(window, [&] {
        sender = std::thread([&] {
            EXPECT_TRUE(window.GetCrossThreadSender()->Run(task));
            senderReturned = true;
        });
    });
    sender.join();
    EXPECT_EQ(code, 5);
    EXPECT_TRUE(handledOnWindowThread);
    EXPECT_TRUE(senderWasWaiting);
    EXPECT_TRUE(senderReturned);
}

TEST_F(WindowsTest, SenderIsReleasedWhenTheWindowGoesAwayAndTheWindowThreadCanJoinIt) {
    // The worker sends while the window thread is busy closing the window
    // and then joins the worker, as a window closed during a check does.
    std::shared_ptr<CCrossThreadSender> sender;
    std::atomic<bool> sent{false};
    bool delivered = false;
    std::thread worker;
    {
        CLayoutWindow window(L"msgwnd.xml");
        ASSERT_TRUE(window.Create(nullptr, L"", kStylePopupDialog, 0));
        sender = window.GetCrossThreadSender();
        worker = std::thread([&] { sent = sender->Run([&] { delivered = true; }); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();  // would hang for ever if the sender still waited
    EXPECT_FALSE(sent);
    EXPECT_FALSE(sender->Run([&] { delivered = true; }));
    // The task posted before the window went away does not run.
    ProcessPendingEvents();
    EXPECT_FALSE(delivered);
}

TEST_F(WindowsTest, LayoutThatCannotBeBuiltTellsTheUserAndEndsTheProcessWithCodeOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RegisterEmbeddedFonts(TestHost());
            AnswerNextNativeMessage();
            CLayoutWindow window(L"no_such_layout.xml");
            window.Create(nullptr, L"", kStylePopupDialog, 0);
        },
        ::testing::ExitedWithCode(1), "\u52A0\u8F7D\u8D44\u6E90\u6587\u4EF6\u5931\u8D25");
}

}  // namespace
}  // namespace ui::test
