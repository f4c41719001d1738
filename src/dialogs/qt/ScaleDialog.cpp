#include "ScaleDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "Twips.h"

namespace pivra {

ScaleDialog::ScaleDialog(ScaleOwner& owner, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      label_(new QLabel(QStringLiteral("Choose a scale between 1 and 50"), this)),
      scroll_(new QScrollBar(Qt::Horizontal, this)),
      text_(new QLineEdit(this)),
      form_(owner, *this) {
    setWindowTitle(QStringLiteral("Scale a Pivra"));
    setModal(false);
    setFixedSize(TwipsSize(2805, 1560));
    ok_->setObjectName(QStringLiteral("OKButton"));
    label_->setObjectName(QStringLiteral("Label1"));
    scroll_->setObjectName(QStringLiteral("HScroll1"));
    text_->setObjectName(QStringLiteral("Text1"));
    ok_->setGeometry(TwipsRect(720, 1125, 1215, 375));
    label_->setGeometry(TwipsRect(180, 90, 2445, 195));
    scroll_->setGeometry(TwipsRect(45, 405, 2715, 240));
    text_->setGeometry(TwipsRect(1035, 720, 645, 285));
    for (QWidget* w : {static_cast<QWidget*>(ok_), static_cast<QWidget*>(label_), static_cast<QWidget*>(text_)})
        w->setFont(DialogFont(8.25, false));
    scroll_->setRange(Dialog1::kMinScale, Dialog1::kMaxScale);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(1);
    scroll_->setValue(form_.scrollValue());
    setTabOrder(ok_, scroll_);
    setTabOrder(scroll_, text_);

    // valueChanged also fires when the form sets the value; the form ignores
    // a value it already holds.
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) { form_.ScrollMoved(v); });
    connect(text_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.TextEdited(t.toStdString()); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        form_.OKButton_Click();
        if (form_.visible()) {  // refused: ready for the next try
            text_->selectAll();
            text_->setFocus();
        }
    });
}

void ScaleDialog::reject() { form_.Closed(); }

void ScaleDialog::ShowScrollValue(int16_t value) { scroll_->setValue(value); }

void ScaleDialog::ShowText(const std::string& text) { text_->setText(QString::fromStdString(text)); }

void ScaleDialog::SetVisible(bool visible) {
    if (!visible) {
        hide();
        return;
    }
    show();
    raise();
    activateWindow();
}

}  // namespace pivra
