#pragma once
// The element tree as assistive technology reads it: each element's role,
// name, states and action, and a tree in which the boxes that only arrange
// others are passed through, so a screen reader meets what the user sees.
// Hosts translate it for their platform's accessibility interfaces.

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class Control;
class CPaintManager;

// None: the element is not exposed; its shown children take its place.
enum class AccessibleRole { None, PushButton, Link, ComboBox, List, ListItem, Label, Image, Group };

enum AccessibleState : uint32_t {
    kAccessibleFocusable = 1u << 0,
    kAccessibleFocused = 1u << 1,
    kAccessibleDisabled = 1u << 2,
    kAccessibleSelectable = 1u << 3,
    kAccessibleSelected = 1u << 4,
    kAccessibleExpanded = 1u << 5,
    kAccessibleCollapsed = 1u << 6,
    kAccessibleDefault = 1u << 7,   // the button Enter presses
    kAccessibleExpandable = 1u << 8,
};

// The exposed elements an exposed element (or, for null, the window) holds,
// in reading order. Texts without words are left out.
std::vector<Control*> AccessibleChildren(CPaintManager& manager, Control* parent);
// Whether the element is there for the user: in the tree, and it and every
// element above it shown (the selected page of a page container).
bool IsShownInTree(const Control& element);

}  // namespace ui
