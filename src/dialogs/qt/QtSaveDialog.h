#pragma once
// The save dialog as the user sees it: Qt's file dialog set up from the
// request, adding no extension of its own, starting in the folder saved to last.
#include <QStringList>

#include "dialogs/SavePivra.h"

class QWidget;

namespace pivra {

// Qt's name filters for a "|" filter. The shown texts stay as given; "*.*"
// matches every file, as it does where those filters come from, also names
// without a dot.
QStringList QtNameFilters(const std::string& filter);

class QtSaveDialog : public SaveDialog {
public:
    explicit QtSaveDialog(QWidget* parent) : parent_(parent) {}
    std::string AskSaveFileName(SaveDialogRequest& request) override;

private:
    QWidget* parent_;
};

}  // namespace pivra
