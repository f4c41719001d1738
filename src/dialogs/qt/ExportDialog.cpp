#include "ExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pivra {

const std::vector<AnimationFormat>& ExportDialog::customFormats() {
    static const std::vector<AnimationFormat> formats = {AnimationFormat::Gif, AnimationFormat::Webp,
                                                         AnimationFormat::Apng, AnimationFormat::Webm};
    return formats;
}

ExportDialog::ExportDialog(ExportChoices& choices, QWidget* parent)
    : QDialog(parent),
      choices_(choices),
      list_(new QListWidget(this)),
      limits_(new QLabel(this)),
      custom_(new QGroupBox(QStringLiteral("Custom"), this)),
      side_(new QLineEdit(custom_)),
      frames_(new QLineEdit(custom_)),
      frameMs_(new QLineEdit(custom_)),
      maxBytes_(new QLineEdit(custom_)),
      format_(new QComboBox(custom_)),
      problem_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Export for"));
    for (const std::string& entry : ExportChoices::entries()) list_->addItem(QString::fromStdString(entry));
    list_->setCurrentRow(choices_.chosen());
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + 24);
    for (AnimationFormat f : customFormats()) format_->addItem(QString::fromLatin1(FormatName(f)));
    side_->setText(QString::fromStdString(choices_.custom.side));
    frames_->setText(QString::fromStdString(choices_.custom.frames));
    frameMs_->setText(QString::fromStdString(choices_.custom.frameMs));
    maxBytes_->setText(QString::fromStdString(choices_.custom.maxBytes));
    const auto& formats = customFormats();
    format_->setCurrentIndex(static_cast<int>(std::find(formats.begin(), formats.end(), choices_.custom.format) - formats.begin()));
    maxBytes_->setPlaceholderText(QStringLiteral("no limit"));

    auto* form = new QFormLayout(custom_);
    form->addRow(QStringLiteral("&Side (16 to 1024 pixels):"), side_);
    form->addRow(QStringLiteral("&Frames a turn (8 to 200):"), frames_);
    form->addRow(QStringLiteral("Frame &time (20 to 1000 ms):"), frameMs_);
    form->addRow(QStringLiteral("F&ormat:"), format_);
    form->addRow(QStringLiteral("&Most bytes (K: 1000, M: 1000000):"), maxBytes_);

    auto* where = new QLabel(QStringLiteral("&Where it goes:"), this);
    where->setBuddy(list_);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Its limits:"), this));
    right->addWidget(limits_);
    right->addWidget(custom_);
    right->addStretch();
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(where);
    left->addWidget(list_);
    top->addLayout(left);
    top->addLayout(right);
    auto* buttons = new QDialogButtonBox(this);
    export_ = buttons->addButton(QStringLiteral("&Export\u2026"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    export_->setDefault(true);
    problem_->setWordWrap(true);
    QPalette red = problem_->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    problem_->setPalette(red);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(problem_);
    all->addWidget(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        choices_.choose(row);
        showChoices(false);
    });
    const auto edited = [this] {
        choices_.custom.side = side_->text().trimmed().toStdString();
        choices_.custom.frames = frames_->text().trimmed().toStdString();
        choices_.custom.frameMs = frameMs_->text().trimmed().toStdString();
        choices_.custom.maxBytes = maxBytes_->text().trimmed().toStdString();
        choices_.custom.format = customFormats().at(static_cast<size_t>(std::max(0, format_->currentIndex())));
        showChoices(false);
    };
    for (QLineEdit* e : {side_, frames_, frameMs_, maxBytes_}) connect(e, &QLineEdit::textChanged, this, edited);
    connect(format_, &QComboBox::currentIndexChanged, this, edited);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { tryExport(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showChoices(false);
}

void ExportDialog::showChoices(bool withProblem) {
    QStringList lines;
    for (const std::string& line : choices_.limitLines()) lines << QString::fromStdString(line);
    limits_->setText(lines.join(QLatin1Char('\n')));
    custom_->setEnabled(choices_.customChosen());
    if (!withProblem) problem_->clear();
}

// A Custom value out of range keeps the dialog open, saying what is allowed.
void ExportDialog::tryExport() {
    std::string why;
    if (choices_.target(why)) {
        accept();
        return;
    }
    problem_->setText(QString::fromStdString(why));
    showChoices(true);
}

}  // namespace pivra
