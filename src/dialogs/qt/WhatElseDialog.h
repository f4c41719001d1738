#pragma once
// Help, "What Else PIVRA Can Do": the text and OK, which only hides it.
#include <QDialog>

class QLabel;

namespace pivra {

class WhatElseDialog : public QDialog {
public:
    explicit WhatElseDialog(QWidget* parent);
    QLabel* textLabel() const { return label_; }

private:
    QLabel* label_;
};

}  // namespace pivra
