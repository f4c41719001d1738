#include "window/qt/QtNotifier.h"

#include <QApplication>
#include <QMessageBox>

namespace pivra {

void QtNotifier::show(const std::string& prompt, int style, const std::string& title) {
    const QMessageBox::Icon icon = (style & MB_ICONEXCLAMATION) ? QMessageBox::Warning : QMessageBox::NoIcon;
    // Over the window the user is working in (the scale dialog, say), so the
    // keyboard goes back there when the box closes.
    QWidget* over = QApplication::activeWindow();
    if (!over) over = parent_.data();
    QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(prompt), QMessageBox::Ok, over);
    box.exec();
}

}  // namespace pivra
