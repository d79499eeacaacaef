#include "ui/base/base_wnd.h"

#include <cstdlib>

#include "app/program_identity.h"
#include "shell/log.h"
#include "ui/base/custom_controls.h"
#include "ui/toolkit/combo.h"
#include "ui/toolkit/container.h"
#include "ui/toolkit/shared_resources.h"
#include "ui/toolkit/window_styles.h"

namespace ui {

namespace {
constexpr int kComboVisibleItems = 6;
constexpr int kLayoutFailureExitCode = 1;

// Every element of that name, hidden pages included.
void CollectNamed(Control* from, std::wstring_view name, std::vector<Control*>& found) {
    if (from == nullptr) return;
    if (from->GetName() == name) found.push_back(from);
    if (auto* container = static_cast<Container*>(from->GetInterface(L"Container"))) {
        for (int i = 0; i < container->GetCount(); ++i) CollectNamed(container->GetItemAt(i), name, found);
    }
}

}  // namespace

CSkinResources* CBaseWnd::GetSkin() const { return SharedSkin(kArchiveType, kSkinArchiveId); }

bool CBaseWnd::OnCreate() {
    if (IHostWindow* host = GetHostWindow()) {
        const uint32_t style = (host->Style() & ~(kStyleCaption | kStyleThickFrame)) | kStyleClipChildren |
                               kStyleClipSiblings;
        host->SetStyle(style, host->ExStyle());
    }
    if (CWindowImplBase::OnCreate()) {
        NameWindowButtons();
        return true;
    }
    CCTLog::Instance().Log(LogLevel::Error, "CBaseWnd::OnCreate", L"layout %ls cannot be built", GetSkinFile().c_str());
    if (IHost* host = PlatformHost()) host->ShowNativeMessage(L"加载资源文件失败", L"KALO");
    std::exit(kLayoutFailureExitCode);
}

std::unique_ptr<Control> CBaseWnd::CreateControl(const std::wstring& kind) { return CreateCustomControl(kind); }

void CBaseWnd::Notify(const TNotifyUI& message) {
    if (message.type == L"click") OnClick(message);
}

void CBaseWnd::OnClick(const TNotifyUI& message) {
    if (message.sender == nullptr) return;
    const std::wstring& name = message.sender->GetName();
    IHostWindow* host = GetHostWindow();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"closebtnex") {
        ShowWindow(false);
    } else if (host == nullptr) {
        return;
    } else if (name == L"minbtn") {
        host->Minimize();
    } else if (name == L"maxbtn") {
        host->Maximize();
    } else if (name == L"restorebtn") {
        host->Restore();
    }
}

Control* CBaseWnd::Find(std::wstring_view element) const {
    CPaintManager* manager = GetPaintManager();
    return manager != nullptr ? manager->FindControl(element) : nullptr;
}

Combo* CBaseWnd::FindCombo(std::wstring_view element) const {
    Control* control = Find(element);
    return control != nullptr ? static_cast<Combo*>(control->GetInterface(L"Combo")) : nullptr;
}

void CBaseWnd::SetTextByKey(std::wstring_view element, const std::wstring& key) { SetText(element, LangText(key)); }

void CBaseWnd::SetText(std::wstring_view element, const std::wstring& text) {
    if (Control* control = Find(element)) control->SetText(text);
}

void CBaseWnd::NameWindowButtons() {
    struct Name {
        const wchar_t* element;
        const wchar_t* key;
        const wchar_t* english;
    };
    static constexpr Name kNames[] = {{L"minbtn", L"IDS_STRING_MINIMIZE", L"Minimize"},
                                      {L"closebtn", L"IDS_STRING_CLOSE", L"Close"}};
    CPaintManager* manager = GetPaintManager();
    if (manager == nullptr) return;
    for (const Name& name : kNames) {
        const std::wstring text = LangTextOr(name.key, name.english);
        // Every page has its own pair.
        std::vector<Control*> found;
        CollectNamed(manager->GetRoot(), name.element, found);
        for (Control* button : found) button->SetAccessibleName(text);
    }
}

void CBaseWnd::SetAccessibleName(std::wstring_view element, std::wstring name) {
    if (Control* control = Find(element)) control->SetAccessibleName(std::move(name));
}

std::wstring CBaseWnd::TextOf(std::wstring_view element) const {
    const Control* control = Find(element);
    return control != nullptr ? control->GetText() : std::wstring();
}

void CBaseWnd::SetVisible(std::wstring_view element, bool visible) {
    if (Control* control = Find(element)) control->SetVisible(visible);
}

void CBaseWnd::SelectPage(std::wstring_view element, int page) {
    Control* control = Find(element);
    if (control == nullptr) return;
    if (auto* pages = static_cast<TabLayout*>(control->GetInterface(L"TabLayout"))) pages->SelectItem(page);
}

void CBaseWnd::ShowMask(bool show) { SetVisible(L"ct_mask", show); }

void CBaseWnd::ComboAddItem(std::wstring_view combo, const std::wstring& itemName, const std::wstring& itemText,
                            int itemHeight) {
    Combo* box = FindCombo(combo);
    if (box == nullptr) return;
    auto item = std::make_unique<ListLabelElement>();
    item->SetName(itemName);
    item->SetText(itemText);
    item->SetFixedHeight(itemHeight);
    box->Add(std::move(item));
    Size list = box->GetDropBoxSize();
    const int grown = list.cy + itemHeight;
    if (grown <= kComboVisibleItems * itemHeight) {
        list.cy = grown;
        box->SetDropBoxSize(list);
    }
}

void CBaseWnd::ComboClear(std::wstring_view combo) {
    Combo* box = FindCombo(combo);
    if (box == nullptr) return;
    box->RemoveAll();
    box->SetDropBoxSize({box->GetDropBoxSize().cx, 0});
}

void CBaseWnd::BindClick(std::wstring_view element, std::function<void()> handler) {
    if (Control* control = Find(element)) control->SetClickHandler(std::move(handler));
}

void CBaseWnd::BindSelect(std::wstring_view combo, std::function<void(int index)> handler) {
    if (Combo* box = FindCombo(combo)) box->SetSelectHandler(std::move(handler));
}

void CBaseWnd::ComboSelect(std::wstring_view combo, int index, bool withEvent) {
    Combo* box = FindCombo(combo);
    if (box == nullptr) return;
    if (withEvent) {
        box->SelectItem(index, true);
        return;
    }
    if (index >= box->GetCount()) index = box->GetCount() - 1;
    box->SelectItem(index < 0 ? -1 : index, false);
}

}  // namespace ui
