#include "QtSaveDialog.h"

#include <QFileDialog>

#include "dialogs/DialogFilter.h"

namespace pivra {

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    for (const DialogFilterEntry& e : ParseDialogFilter(filter)) {
        QStringList patterns;
        for (const std::string& p : e.patterns) patterns << (p == "*.*" ? QStringLiteral("*") : QString::fromStdString(p));
        // The dialog hides this last group of patterns and shows the text before it.
        filters << QString::fromStdString(e.shown) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

std::string QtSaveDialog::AskSaveFileName(const SaveDialogRequest& request) {
    QFileDialog dialog(parent_, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace pivra
