#include "InstructionsDialog.h"

#include <QLabel>
#include <QPushButton>

#include "Twips.h"
#include "dialogs/Instructions.h"

namespace pivra {

InstructionsDialog::InstructionsDialog(QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      label_(new QLabel(QString::fromUtf8(kInstructions), this)) {
    setWindowTitle(QString::fromUtf8(kInstructionsCaption));
    setModal(false);
    setFixedSize(TwipsSize(6195, 3855));
    ok_->setObjectName(QStringLiteral("OKButton"));
    label_->setObjectName(QStringLiteral("Label1"));
    ok_->setGeometry(TwipsRect(4680, 3420, 1215, 375));
    label_->setGeometry(TwipsRect(135, 90, 5955, 3210));
    label_->setFont(DialogFont(9.75, true));
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);  // the text holds an <IMG> tag to show as it is
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ok_->setFocus();
    // OK (and closing, and Escape) only hide it; it stays for the next showing.
    connect(ok_, &QPushButton::clicked, this, &QWidget::hide);
}

}  // namespace pivra
