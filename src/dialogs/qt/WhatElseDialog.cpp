#include "WhatElseDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Twips.h"
#include "dialogs/WhatElse.h"

namespace pivra {

WhatElseDialog::WhatElseDialog(QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), label_(new QLabel(QString::fromUtf8(kWhatElse), this)) {
    setWindowTitle(QString::fromUtf8(kWhatElseCaption));
    setModal(false);
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setFixedWidth(TwipsSize(6600, 0).width());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    // OK (and Escape) only hide it; it stays for the next showing.
    connect(buttons, &QDialogButtonBox::accepted, this, &QWidget::hide);
}

}  // namespace pivra
