#include "ScaleDialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

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
    ok_->setObjectName(QStringLiteral("OKButton"));
    label_->setObjectName(QStringLiteral("Label1"));
    scroll_->setObjectName(QStringLiteral("HScroll1"));
    text_->setObjectName(QStringLiteral("Text1"));
    setFont(DialogFont(8.25, false));  // the controls take the dialog's font
    layOut();
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

// The measures are twips. Where the font needs more room than they give (a
// wider fallback font, a larger font or screen scaling), the label first
// takes the room to its right; if that is not enough, every measure grows in
// proportion, so nothing is cut off and the dialog keeps its shape.
void ScaleDialog::layOut() {
    const QFontMetrics metrics = label_->fontMetrics();
    const int textWidth = std::max(metrics.horizontalAdvance(label_->text()),
                                   metrics.boundingRect(label_->text()).width());
    const int labelLeft = 180, labelTop = 90, labelWidth = 2445, labelHeight = 195;
    const double room = (2805 - labelLeft - 45) / double(kTwipsPerPixel);  // up to the scroll bar's margin
    const double grow = std::max({1.0, textWidth / room, metrics.height() / (labelHeight / double(kTwipsPerPixel))});

    setFixedSize(GrownTwips(2805, grow), GrownTwips(1560, grow));
    ok_->setGeometry(TwipsRect(720, 1125, 1215, 375, grow));
    QRect label = TwipsRect(labelLeft, labelTop, labelWidth, labelHeight, grow);
    label.setWidth(std::max(label.width(), textWidth));
    label.setHeight(std::max(label.height(), metrics.height()));
    label_->setGeometry(label);
    scroll_->setGeometry(TwipsRect(45, 405, 2715, 240, grow));
    text_->setGeometry(TwipsRect(1035, 720, 645, 285, grow));
}

void ScaleDialog::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::FontChange) layOut();
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
