#include "AboutDialog.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "Twips.h"
#include "widgets/GifViewer.h"

namespace pivra {
namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const std::string& text, QRect place, QFont font) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(const AboutTexts& texts, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      viewer_(new GifViewer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QString::fromStdString(texts.caption));
    setFixedSize(TwipsSize(6600, 2775));

    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setGeometry(344, 150, 81, 25);
    ok_->setDefault(true);  // Enter; Escape is the dialog's reject, which ends it the same way
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    // The same viewer as the main window's; a missing file leaves it empty.
    viewer_->setObjectName(QStringLiteral("Gif89a1"));
    viewer_->setGeometry(8, 8, 96, 96);
    viewer_->setFile(texts.animationFile);

    AddLabel(this, "lblTitle", texts.title, QRect(116, 8, 316, 22), DialogFont(12, true));
    AddLabel(this, "lblVersion", texts.version, QRect(116, 32, 316, 16), DialogFont(8.25, false));
    AddLabel(this, "lblDescription", texts.description, QRect(116, 52, 316, 56), DialogFont(8.25, false))
        ->setWordWrap(true);

    auto* line = new QWidget(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(0, 118, width(), 1);
    line->setAutoFillBackground(true);
    QPalette grey = line->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    line->setPalette(grey);

    AddLabel(this, "Label1", texts.credit, QRect(8, 126, 320, 16), DialogFont(8.25, false));
    ok_->setFocus();
}

}  // namespace pivra
