#pragma once
// The base of every program window: a skinned, borderless toolkit window
// built from the skin archive, with small operations on elements by name
// (an element that does not exist is skipped), the custom controls, and the
// close, minimise and maximise buttons every layout uses.

#include <functional>
#include <string>
#include <string_view>

#include "ui/toolkit/window_impl.h"

namespace ui {

class Combo;

class CBaseWnd : public CWindowImplBase {
public:
    // The text by language key; a key without text gives an empty text.
    void SetTextByKey(std::wstring_view element, const std::wstring& key);
    void SetText(std::wstring_view element, const std::wstring& text);
    void SetVisible(std::wstring_view element, bool visible);
    // The name a screen reader reads the element by, in place of its text.
    void SetAccessibleName(std::wstring_view element, std::wstring name);
    std::wstring TextOf(std::wstring_view element) const;
    // Shows that page of a page container.
    void SelectPage(std::wstring_view element, int page);
    // The names a screen reader reads the window buttons by (they show no
    // text), in the current language.
    void NameWindowButtons();
    // Dims the whole window while a child window is open.
    void ShowMask(bool show);
    // Appends an item of that height; the list grows up to six items and
    // scrolls beyond.
    void ComboAddItem(std::wstring_view combo, const std::wstring& itemName, const std::wstring& itemText,
                      int itemHeight);
    // Removes every item; the list keeps its width and gets height 0.
    void ComboClear(std::wstring_view combo);
    // With the event: the combo's own selection, which sends "itemselect".
    // Without: a negative index or an empty combo clears the selection, an
    // index past the end selects the last item, and no event is sent.
    void ComboSelect(std::wstring_view combo, int index, bool withEvent);
    // The window's own reactions to its elements: a click, a changed
    // selection. An element that does not exist is skipped.
    void BindClick(std::wstring_view element, std::function<void()> handler);
    void BindSelect(std::wstring_view combo, std::function<void(int index)> handler);

protected:
    // The program's skin archive, shared by all its windows.
    CSkinResources* GetSkin() const override;
    // The toolkit's class style and saved bits: a window that moves away
    // leaves what was behind it to be restored, not repainted.
    uint32_t GetClassStyle() const override { return kToolkitClassStyle | kClassStyleSaveBits; }
    // Takes the native caption and frame away, then builds the layout; a
    // layout that cannot be built ends the process (exit code 1) after
    // telling the user.
    bool OnCreate() override;
    std::unique_ptr<Control> CreateControl(const std::wstring& kind) override;
    // The clicks of elements without a handler: the buttons every layout
    // names (closebtn, closebtnex, minbtn, maxbtn, restorebtn).
    void Notify(const TNotifyUI& message) override;
    virtual void OnClick(const TNotifyUI& message);

    Control* Find(std::wstring_view element) const;
    Combo* FindCombo(std::wstring_view element) const;
};

}  // namespace ui
