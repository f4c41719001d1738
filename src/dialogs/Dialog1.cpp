#include "Dialog1.h"

#include <algorithm>

#include "ScaleText.h"
#include "platform/MessageBox.h"

namespace pivra {

void Dialog1::Show() {
    if (!loaded_) Form_Load();
    visible_ = true;
    view_.SetVisible(true);
}

void Dialog1::Form_Load() {
    loaded_ = true;
    const int16_t scale = static_cast<int16_t>(owner_.CurrentSize() / 12);
    SetScrollValue(std::clamp(scale, kMinScale, kMaxScale));
    SetText(std::to_string(scroll_));
}

void Dialog1::ScrollMoved(int value) {
    SetScrollValue(static_cast<int16_t>(std::clamp<int>(value, kMinScale, kMaxScale)));
}

void Dialog1::TextEdited(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Text1_Change();
}

void Dialog1::HScroll1_Change() { SetText(" " + std::to_string(scroll_)); }

void Dialog1::Text1_Change() {
    // While the user edits, the text may hold no scale at all; the scroll
    // bar then keeps its value until it does.
    if (const std::optional<int16_t> scale = ScaleFromText(text_)) SetScrollValue(*scale);
}

void Dialog1::OKButton_Click() {
    // The scroll bar may still hold what an earlier text asked for ("5" of
    // "51"); only the text shows what the user means now.
    const std::optional<int16_t> scale = WholeScaleFromText(text_);
    if (!scale) {
        MessageBox(kNotAScale, MB_OK | MB_ICONEXCLAMATION, AppTitle);
        return;
    }
    visible_ = false;
    view_.SetVisible(false);
    owner_.ScalePivra(*scale);
}

void Dialog1::Closed() {
    visible_ = false;
    loaded_ = false;
    view_.SetVisible(false);
}

void Dialog1::SetScrollValue(int16_t value) {
    if (value == scroll_) return;  // the same value raises no change
    scroll_ = value;
    view_.ShowScrollValue(value);
    HScroll1_Change();
}

void Dialog1::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    view_.ShowText(text);
    Text1_Change();
}

}  // namespace pivra
