#pragma once
// The drop-down list box: items, the selected item's text in the box, and a
// list shown below it (above when the window has no room) with hot and
// selected items, mouse-wheel scrolling and a thin scroll bar thumb. The
// keyboard opens, walks and closes the list; the list opens on the selected
// item.

#include <functional>
#include <memory>
#include <vector>

#include "ui/toolkit/label.h"

namespace ui {

class Combo;

// One item of a combo's list.
class ListLabelElement : public Label {
public:
    std::wstring_view GetClass() const override { return L"ListLabelElementUI"; }
    Control* GetInterface(std::wstring_view name) override;
    // Picks the item as a click in the list does.
    bool DoDefaultAction() override;
    AccessibleRole GetAccessibleRole() const override { return AccessibleRole::ListItem; }
    uint32_t GetAccessibleStates() const override;
    Control* GetAccessibleParent() override;

private:
    Combo* Owner() const;
};

// How the combo draws its items.
struct ComboItemStyle {
    int fontId = -1;
    Rect textPadding;
    Argb textColor = 0xFF000000;
    Argb hotTextColor = 0;
    Argb selectedTextColor = 0;
    Argb bkColor = 0;
    Argb hotBkColor = 0;
    Argb selectedBkColor = 0;
    int borderSize = 0;
    Argb borderColor = 0;
    int height = 0;  // of items added without a height of their own
};

// The shown list: an element outside the tree, laid over the window.
class ComboList : public Control {
public:
    explicit ComboList(Combo& owner) : owner_(owner) {}
    std::wstring_view GetClass() const override { return L"ComboListUI"; }
    void Paint(ICanvas& canvas, const Rect& dirty) override;
    void DoEvent(const TEventUI& event) override;
    void ForEachShownChild(const std::function<void(Control&)>& visit) override;
    // Up, Down, Home and End move the hot item; Enter and Space pick it;
    // Escape and F4 close the list unchanged. Tab closes it and moves on.
    bool OnKey(const KeyPress& key) override;
    AccessibleRole GetAccessibleRole() const override { return AccessibleRole::List; }
    int GetScroll() const { return scroll_; }
    // The item under the mouse or the keyboard's, or -1.
    int GetHotIndex() const { return hot_; }
    // The item at a window point, or -1.
    int ItemAt(Point point) const;
    void ScrollBy(int pixels);
    // Makes the item hot and scrolls it into view (-1: none, at the top).
    void ShowItem(int index);

private:
    Combo& owner_;
    int scroll_ = 0;
    int hot_ = -1;
};

class Combo : public Control {
public:
    Combo();
    ~Combo() override;
    std::wstring_view GetClass() const override { return L"ComboUI"; }
    Control* GetInterface(std::wstring_view name) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    // Takes ListLabelElement children as items.
    bool Add(std::unique_ptr<Control> child) override;
    void DoEvent(const TEventUI& event) override;
    void SetManager(CPaintManager* manager, Control* parent) override;
    void ForEachShownChild(const std::function<void(Control&)>& visit) override;
    // Space, Enter, Alt+Down and F4 open the list; Up and Down step through
    // the items as the wheel does.
    bool IsFocusable() const override { return true; }
    bool OnKey(const KeyPress& key) override;
    // Opens the list, or closes it.
    bool DoDefaultAction() override;
    // Read by the name set, else its default text ("Language"); the
    // selected item is its value.
    AccessibleRole GetAccessibleRole() const override { return AccessibleRole::ComboBox; }
    std::wstring GetAccessibleName() const override;
    std::wstring GetAccessibleValue() const override;
    uint32_t GetAccessibleStates() const override;

    int GetCount() const { return static_cast<int>(items_.size()); }
    ListLabelElement* GetItemAt(int index) const;
    int IndexOf(const Control* item) const;
    ComboList& GetList() const { return *list_; }
    void RemoveAll();
    int GetCurSel() const { return selected_; }
    // Selects the item; with `notify` runs the selection handler, or without
    // one sends "itemselect" (wParam: new index, lParam: previous index),
    // when the selection changes. An index out of range clears the selection.
    bool SelectItem(int index, bool notify = true);
    // What a changed selection (by the user, or SelectItem with notify) runs,
    // with the new index.
    void SetSelectHandler(std::function<void(int index)> handler) { selectHandler_ = std::move(handler); }
    Size GetDropBoxSize() const { return dropBox_; }
    void SetDropBoxSize(Size size);
    const ComboItemStyle& GetItemStyle() const { return itemStyle_; }
    bool IsScrollWheel() const { return scrollWheel_; }

    bool IsOpen() const;
    void OpenList();
    void CloseList();
    // Closes the list and selects the item, as a click on it does.
    void PickItem(int index);
    // Where the list lies in the window, and the sum of the item heights.
    Rect ListRect() const;
    int ItemsHeight() const;
    const ImageSpec& ThumbImage() const { return thumbImage_; }
    int ScrollBarWidth() const { return vscrollbar_ ? scrollBarWidth_ : 0; }

protected:
    void PaintStatusImage(ICanvas& canvas) override;
    void PaintText(ICanvas& canvas) override;

private:
    std::vector<std::unique_ptr<ListLabelElement>> items_;
    std::unique_ptr<ComboList> list_;
    int selected_ = -1;
    std::function<void(int index)> selectHandler_;
    Size dropBox_;
    ComboItemStyle itemStyle_;
    std::wstring defaultText_;
    Argb textColor_ = 0xFF000000;
    uint32_t textStyle_ = kTextLeft | kTextVCenter | kTextSingleLine;
    ImageSpec normalImage_;
    ImageSpec hotImage_;
    ImageSpec pushedImage_;
    ImageSpec thumbImage_;
    int scrollBarWidth_ = 4;
    bool scrollWheel_ = false;
    bool vscrollbar_ = false;
};

}  // namespace ui
