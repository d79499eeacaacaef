#include "ui/host/qt/host_qt_accessible.h"

#include <QAccessibleActionInterface>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include "ui/host/qt/host_qt_convert.h"
#include "ui/toolkit/accessible.h"
#include "ui/toolkit/control.h"
#include "ui/toolkit/paint_manager.h"

namespace ui::qt {
namespace {

QAccessible::Role RoleOf(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::PushButton: return QAccessible::Button;
        case AccessibleRole::Link: return QAccessible::Link;
        case AccessibleRole::ComboBox: return QAccessible::ComboBox;
        case AccessibleRole::List: return QAccessible::List;
        case AccessibleRole::ListItem: return QAccessible::ListItem;
        case AccessibleRole::Label: return QAccessible::StaticText;
        case AccessibleRole::Image: return QAccessible::Graphic;
        case AccessibleRole::Group: return QAccessible::Grouping;
        case AccessibleRole::None: break;
    }
    return QAccessible::NoRole;
}

bool HasAction(AccessibleRole role) {
    return role == AccessibleRole::PushButton || role == AccessibleRole::Link || role == AccessibleRole::ComboBox ||
           role == AccessibleRole::ListItem;
}

std::vector<Control*> ChildrenOf(const CQtAccessibleBridge& bridge, Control* parent) {
    CPaintManager* manager = bridge.Content();
    return manager != nullptr ? AccessibleChildren(*manager, parent) : std::vector<Control*>{};
}

// What the window and its elements share: children from the element tree.
class CTreeNode : public QAccessibleInterface {
public:
    CTreeNode(CQtAccessibleBridge& bridge, Control* element) : bridge_(bridge), element_(element) {}

    QWindow* window() const override { return &bridge_.Window(); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<Control*> children = ChildrenOf(bridge_, element_);
        return index >= 0 && index < static_cast<int>(children.size()) ? bridge_.InterfaceOf(children[index]) : nullptr;
    }
    int childCount() const override { return static_cast<int>(ChildrenOf(bridge_, element_).size()); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<Control*> children = ChildrenOf(bridge_, element_);
        for (size_t i = 0; i < children.size(); ++i) {
            if (bridge_.InterfaceOf(children[i]) == child) return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (Control* child : ChildrenOf(bridge_, element_)) {
            if (bridge_.ToScreen(child->GetPos()).contains(x, y)) return bridge_.InterfaceOf(child);
        }
        return nullptr;
    }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    CQtAccessibleBridge& bridge_;
    Control* element_;  // null for the window
};

class CWindowNode final : public CTreeNode {
public:
    explicit CWindowNode(CQtAccessibleBridge& bridge) : CTreeNode(bridge, nullptr) {}
    bool isValid() const override { return true; }
    QObject* object() const override { return &bridge_.Window(); }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* focusChild() const override {
        CPaintManager* manager = bridge_.Content();
        Control* focus = manager != nullptr ? manager->GetAccessibleFocus() : nullptr;
        return focus != nullptr ? bridge_.InterfaceOf(focus) : nullptr;
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? bridge_.Window().title() : QString();
    }
    QRect rect() const override { return bridge_.Window().geometry(); }
    QAccessible::Role role() const override { return bridge_.IsDialog() ? QAccessible::Dialog : QAccessible::Window; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.active = bridge_.Window().isActive();
        state.invisible = !bridge_.Window().isVisible();
        return state;
    }
};

class CElementNode final : public CTreeNode, public QAccessibleActionInterface {
public:
    CElementNode(CQtAccessibleBridge& bridge, Control& element) : CTreeNode(bridge, &element) {}
    bool isValid() const override { return bridge_.Knows(element_); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return isValid() ? bridge_.InterfaceOf(element_->GetAccessibleParent()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override { return isValid() ? CTreeNode::child(index) : nullptr; }
    int childCount() const override { return isValid() ? CTreeNode::childCount() : 0; }
    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        if (kind == QAccessible::Name) return ToQString(element_->GetAccessibleName());
        if (kind == QAccessible::Value) return ToQString(element_->GetAccessibleValue());
        return {};
    }
    QRect rect() const override { return isValid() ? bridge_.ToScreen(element_->GetPos()) : QRect(); }
    QAccessible::Role role() const override {
        return isValid() ? RoleOf(element_->GetAccessibleRole()) : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const uint32_t flags = element_->GetAccessibleStates();
        state.focusable = (flags & kAccessibleFocusable) != 0;
        state.focused = (flags & kAccessibleFocused) != 0;
        state.disabled = (flags & kAccessibleDisabled) != 0;
        state.selectable = (flags & kAccessibleSelectable) != 0;
        state.selected = (flags & kAccessibleSelected) != 0;
        state.expandable = (flags & kAccessibleExpandable) != 0;
        state.expanded = (flags & kAccessibleExpanded) != 0;
        state.collapsed = (flags & kAccessibleCollapsed) != 0;
        state.defaultButton = (flags & kAccessibleDefault) != 0;
        state.invisible = !IsShownInTree(*element_);
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        return isValid() && HasAction(element_->GetAccessibleRole()) ? QStringList{pressAction()} : QStringList{};
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override {
        if (name != pressAction() || !isValid()) return;
        // Not inside the reader's call: a click may open a modal window,
        // whose loop would hold the reader until it closes.
        CQtAccessibleBridge* bridge = &bridge_;
        Control* element = element_;
        QMetaObject::invokeMethod(
            &bridge_.Window(),
            [bridge, element] {
                if (bridge->Knows(element)) element->DoDefaultAction();
            },
            Qt::QueuedConnection);
    }
};

}  // namespace

void StartScreenReaderBridgeSoon() {
    // Asking whether a reader listens is what makes Qt connect its bridge.
    QTimer::singleShot(0, qApp, [] { QAccessible::isActive(); });
}

CQtAccessibleBridge::CQtAccessibleBridge(QWindow& window, IHostWindowEvents& events, bool dialog)
    : window_(window), events_(events), dialog_(dialog) {}

CQtAccessibleBridge::~CQtAccessibleBridge() {
    for (const auto& [element, id] : ids_) QAccessible::deleteAccessibleInterface(id);
    if (windowId_ != 0) QAccessible::deleteAccessibleInterface(windowId_);
}

QAccessibleInterface* CQtAccessibleBridge::WindowInterface() const {
    if (windowId_ == 0) {
        windowId_ = QAccessible::registerAccessibleInterface(new CWindowNode(const_cast<CQtAccessibleBridge&>(*this)));
    }
    return QAccessible::accessibleInterface(windowId_);
}

QAccessibleInterface* CQtAccessibleBridge::InterfaceOf(Control* element) {
    if (element == nullptr) return WindowInterface();
    const auto found = ids_.find(element);
    if (found != ids_.end()) return QAccessible::accessibleInterface(found->second);
    // Registered before it is kept: Knows() must hold while Qt looks at it.
    auto* node = new CElementNode(*this, *element);
    ids_.emplace(element, 0);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(node);
    ids_[element] = id;
    return node;
}

QRect CQtAccessibleBridge::ToScreen(const Rect& client) const {
    const QPoint topLeft = window_.mapToGlobal(QPoint(client.left, client.top) + clientOrigin_);
    return {topLeft, QSize(client.Width(), client.Height())};
}

void CQtAccessibleBridge::Notify(AccessibleEvent event, Control& element) {
    if (event == AccessibleEvent::Removed) {
        const auto found = ids_.find(&element);
        if (found == ids_.end()) return;
        const QAccessible::Id id = found->second;
        ids_.erase(found);
        QAccessible::deleteAccessibleInterface(id);
        return;
    }
    // Only once a reader has asked for the window: asking Qt first would
    // connect the bridge during start-up.
    if (windowId_ == 0 || !QAccessible::isActive()) return;
    QAccessibleInterface* node = InterfaceOf(&element);
    switch (event) {
        case AccessibleEvent::Focus: {
            QAccessibleEvent focus(node, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
            break;
        }
        case AccessibleEvent::NameChanged: {
            QAccessibleEvent renamed(node, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
            break;
        }
        case AccessibleEvent::StateChanged: {
            QAccessible::State changed;
            changed.expanded = changed.collapsed = changed.selected = changed.disabled = true;
            QAccessibleStateChangeEvent state(node, changed);
            QAccessible::updateAccessibility(&state);
            break;
        }
        case AccessibleEvent::ChildrenChanged: {
            QAccessibleEvent reordered(node, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&reordered);
            break;
        }
        case AccessibleEvent::Removed: break;
    }
}

}  // namespace ui::qt
