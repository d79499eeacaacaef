#include "ui/toolkit/accessible.h"

#include "ui/toolkit/container.h"
#include "ui/toolkit/paint_manager.h"

namespace ui {

namespace {

// Roles whose element is read as a whole: what it holds is not exposed.
bool IsWhole(AccessibleRole role) {
    return role != AccessibleRole::None && role != AccessibleRole::Group && role != AccessibleRole::ComboBox &&
           role != AccessibleRole::List;
}

void CollectExposed(Control& from, std::vector<Control*>& exposed) {
    from.ForEachShownChild([&exposed](Control& child) {
        if (!child.IsVisible()) return;
        const AccessibleRole role = child.GetAccessibleRole();
        if (role == AccessibleRole::None) {
            CollectExposed(child, exposed);
        } else if (role != AccessibleRole::Label || !child.GetAccessibleName().empty()) {
            exposed.push_back(&child);
        }
    });
}

}  // namespace

std::vector<Control*> AccessibleChildren(CPaintManager& manager, Control* parent) {
    std::vector<Control*> children;
    if (parent == nullptr) {
        Control* root = manager.GetRoot();
        if (root == nullptr || !root->IsVisible()) return children;
        if (root->GetAccessibleRole() != AccessibleRole::None) {
            children.push_back(root);
            return children;
        }
        parent = root;
    } else if (IsWhole(parent->GetAccessibleRole())) {
        return children;
    }
    manager.UpdateLayout();
    CollectExposed(*parent, children);
    return children;
}

bool IsShownInTree(const Control& element) {
    const CPaintManager* manager = element.GetManager();
    if (manager == nullptr || !element.IsVisible()) return false;
    const Control* child = &element;
    for (Control* above = element.GetParent(); above != nullptr; child = above, above = above->GetParent()) {
        if (!above->IsVisible()) return false;
        const auto* container = static_cast<const Container*>(above->GetInterface(L"Container"));
        if (container == nullptr) continue;
        bool shown = false;
        for (int i = 0; i < container->GetCount(); ++i) {
            if (container->GetItemAt(i) == child) {
                shown = container->IsChildShown(i);
                break;
            }
        }
        if (!shown) return false;
    }
    return child == manager->GetRoot();
}

}  // namespace ui
