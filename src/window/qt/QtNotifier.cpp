#include "window/qt/QtNotifier.h"

#include <QMessageBox>

namespace pivra {

void QtNotifier::show(const std::string& prompt, int style, const std::string& title) {
    const QMessageBox::Icon icon = (style & MB_ICONEXCLAMATION) ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(prompt), QMessageBox::Ok,
                    parent_.data());
    box.exec();
}

}  // namespace pivra
