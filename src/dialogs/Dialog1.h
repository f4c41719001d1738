#pragma once
// The scale dialog "Scale a Pivra": a scroll bar from 1 to 50 and a text box
// that mirror each other, and OK, which hides the dialog and applies the
// scale to the main window. Modeless; loaded on its first showing and only
// hidden afterwards, keeping its controls.
//
// The form keeps the two controls' values and raises their change events as
// the controls would: only when a value really changes, so the chain
// scroll bar -> text -> scroll bar ends.
#include <cstdint>
#include <string>

namespace pivra {

// What the dialog needs of the main window.
class ScaleOwner {
public:
    virtual ~ScaleOwner() = default;
    virtual int16_t CurrentSize() const = 0;        // i_size
    virtual void ScalePivra(int16_t scale) = 0;
};

// What the dialog's window shows.
class Dialog1View {
public:
    virtual ~Dialog1View() = default;
    virtual void ShowScrollValue(int16_t value) = 0;
    virtual void ShowText(const std::string& text) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// What OK says to text that is no scale.
inline constexpr char kNotAScale[] = "A scale is a whole number from 1 to 50.";

class Dialog1 {
public:
    static constexpr int16_t kMinScale = 1, kMaxScale = 50;

    Dialog1(ScaleOwner& owner, Dialog1View& view) : owner_(owner), view_(view) {}

    // The menu's "Scale a Pivra": the first showing loads the dialog.
    void Show();
    // The user moved the scroll bar / typed in the text box (the view
    // already shows the new value).
    void ScrollMoved(int value);
    void TextEdited(const std::string& text);
    // Applies the text's scale when it holds one (see WholeScaleFromText);
    // otherwise says what a scale is and stays open.
    void OKButton_Click();
    // Closed from its title bar or with Escape: like an unload, the next
    // showing loads the current scale afresh; nothing is applied.
    void Closed();

    int16_t scrollValue() const { return scroll_; }
    const std::string& text() const { return text_; }
    bool visible() const { return visible_; }
    bool loaded() const { return loaded_; }

private:
    void Form_Load();
    void HScroll1_Change();
    void Text1_Change();
    void SetScrollValue(int16_t value);
    void SetText(const std::string& text);

    ScaleOwner& owner_;
    Dialog1View& view_;
    int16_t scroll_ = kMinScale;
    std::string text_;
    bool visible_ = false;
    bool loaded_ = false;
};

}  // namespace pivra
