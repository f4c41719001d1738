#pragma once
// The window of the scale dialog: forwards the user's moves to Dialog1 and
// shows what it says.
#include <QDialog>

#include "dialogs/Dialog1.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace pivra {

class ScaleDialog : public QDialog, private Dialog1View {
public:
    ScaleDialog(ScaleOwner& owner, QWidget* parent);

    Dialog1& form() { return form_; }
    QPushButton* okButton() const { return ok_; }
    QScrollBar* scrollBar() const { return scroll_; }
    QLineEdit* textBox() const { return text_; }

protected:
    void reject() override;  // Escape and the title bar's close
    void changeEvent(QEvent* e) override;

private:
    void layOut();
    void ShowScrollValue(int16_t value) override;
    void ShowText(const std::string& text) override;
    void SetVisible(bool visible) override;

    QPushButton* ok_;
    QLabel* label_;
    QScrollBar* scroll_;
    QLineEdit* text_;
    Dialog1 form_;
};

}  // namespace pivra
