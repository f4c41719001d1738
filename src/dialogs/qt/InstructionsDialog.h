#pragma once
// "Instructions" (Help, Manual): the fixed text and OK, which only hides it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace pivra {

class InstructionsDialog : public QDialog {
public:
    explicit InstructionsDialog(QWidget* parent);

    QPushButton* okButton() const { return ok_; }
    QLabel* textLabel() const { return label_; }

private:
    QPushButton* ok_;
    QLabel* label_;
};

}  // namespace pivra
