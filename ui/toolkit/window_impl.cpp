#include "ui/toolkit/window_impl.h"

#include "shell/log.h"
#include "ui/toolkit/layout_builder.h"
#include "ui/toolkit/shared_resources.h"

namespace ui {

CWindowImplBase::~CWindowImplBase() {
    StopCrossThreadMessages();
    if (manager_) manager_->RemoveNotifier(this);
    // The tree (and its timers) go before the native window they use.
    manager_.reset();
    host_.reset();
}

bool CWindowImplBase::Create(CWindowImplBase* owner, const std::wstring& title, uint32_t style, uint32_t exStyle) {
    IHost* host = PlatformHost();
    if (host == nullptr || host_) return false;
    HostWindowOptions options;
    options.title = title;
    options.owner = owner != nullptr ? owner->GetHostWindow() : nullptr;
    options.style = style;
    options.exStyle = exStyle;
    options.className = GetWindowClassName();
    options.classStyle = GetClassStyle();
    host_ = host->CreateHostWindow(*this, options);
    if (!host_) return false;
    sender_ = std::make_shared<CCrossThreadSender>(*host);
    return OnCreate();
}

bool CWindowImplBase::OnCreate() {
    CSkinResources* skin = GetSkin();
    if (skin == nullptr) return false;
    CLayoutBuilder builder(
        *skin, [this](const std::wstring& kind) { return CreateControl(kind); },
        [](const std::wstring& key) { return LangText(key); });
    BuiltLayout built = builder.Build(GetSkinFile());
    if (!built.root) return false;
    const WindowAttributes& window = built.window;
    host_->SetTransparent(window.transparent);
    host_->Resize(window.size);
    manager_ = std::make_unique<CPaintManager>(*skin, host_.get());
    manager_->SetLangTextSource([](const std::wstring& key) { return LangText(key); });
    const Size size = window.size;
    manager_->AttachRoot(std::move(built.root), std::move(built.window), std::move(built.fonts));
    manager_->SetClientSize(size);
    manager_->AddNotifier(this);
    InitWindow();
    // The shadow image may still be decoding on another core: the window
    // shows meanwhile and takes it at its first frame.
    const WindowAttributes& attached = manager_->GetWindowAttributes();
    if (attached.showShadow && attached.transparent && !attached.shadowImage.empty()) {
        host_->SetShadow(
            [skin, path = attached.shadowImage] {
                ImagePtr image = skin->GetImage(path);
                // The host keeps the parts it draws; the whole image is the
                // window's size again.
                skin->ReleaseImage(path);
                return image;
            },
            attached.shadowCorner);
    }
    return true;
}

void CWindowImplBase::CenterWindow() {
    if (host_) host_->Center();
}

void CWindowImplBase::ShowWindow(bool show) {
    if (!host_) return;
    if (show) {
        host_->Show();
    } else {
        host_->Hide();
    }
}

int CWindowImplBase::ShowModal() {
    if (!host_ || modalRunning_) return 0;
    modalRunning_ = true;
    const int code = host_->RunModal();
    modalRunning_ = false;
    host_->Hide();
    return code;
}

void CWindowImplBase::Close(int code) {
    if (!host_) return;
    StopCrossThreadMessages();
    if (modalRunning_) {
        host_->EndModal(code);
        return;
    }
    host_->Hide();
    OnDestroy();
}

void CWindowImplBase::StopCrossThreadMessages() {
    if (sender_) sender_->Detach();
}

std::unique_ptr<Control> CWindowImplBase::CreateControl(const std::wstring&) { return nullptr; }

void CWindowImplBase::Notify(const TNotifyUI&) {}

void CWindowImplBase::OnPaint(ICanvas& canvas, const Rect& dirty) {
    if (!manager_) return;
    manager_->OnPaint(canvas, dirty);
    // When the user first sees the window: start-up time in the log.
    if (!painted_) {
        painted_ = true;
        CCTLog::Instance().Log(LogLevel::Progress, "CWindowImplBase::OnPaint", L"first frame of %ls painted",
                               GetWindowClassName().c_str());
    }
}
void CWindowImplBase::OnMouseMove(Point at) {
    if (manager_) manager_->OnMouseMove(at);
}
void CWindowImplBase::OnMouseDown(MouseButton button, Point at) {
    if (manager_) manager_->OnMouseDown(button, at);
}
void CWindowImplBase::OnMouseUp(MouseButton button, Point at) {
    if (manager_) manager_->OnMouseUp(button, at);
}
void CWindowImplBase::OnMouseLeave() {
    if (manager_) manager_->OnMouseLeave();
}
void CWindowImplBase::OnMouseWheel(int delta, Point at) {
    if (manager_) manager_->OnMouseWheel(delta, at);
}
void CWindowImplBase::OnTimer(uint32_t timerId) {
    if (manager_) manager_->OnTimer(timerId);
}
bool CWindowImplBase::OnKeyDown(const KeyPress& key) { return manager_ && manager_->OnKeyDown(key); }
void CWindowImplBase::OnCloseRequested() { Close(kSystemCloseCode); }

}  // namespace ui
