#include "QtSaveDialog.h"

#include <QFileDialog>

#include "LastFolders.h"
#include "dialogs/DialogFilter.h"

namespace pivra {

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    // The dialog hides the last group of patterns and shows the text before it.
    for (const FilterEntry& e : ParseDialogFilter(filter)) filters << QString::fromStdString(DialogNameFilter(e));
    return filters;
}

std::string QtSaveDialog::AskSaveFileName(SaveDialogRequest& request) {
    QFileDialog dialog(parent_, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (const QString last = LastFolder(FolderUse::SaveAnimation); !last.isEmpty()) dialog.setDirectory(last);
    dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    // The dialog answers with the shown text of the entry left selected.
    const QString selected = dialog.selectedNameFilter();
    const std::vector<FilterEntry> entries = ParseDialogFilter(request.filter);
    for (size_t i = 0; i < entries.size(); ++i)
        if (selected == QString::fromStdString(entries[i].text) || selected == filters.value(static_cast<int>(i)))
            request.filterIndex = static_cast<int16_t>(i + 1);
    const QString chosen = dialog.selectedFiles().first();
    RememberFolder(FolderUse::SaveAnimation, chosen);
    return chosen.toStdString();
}

}  // namespace pivra
