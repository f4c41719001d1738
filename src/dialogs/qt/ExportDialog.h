#pragma once
// The window of File, "Export for…": the destinations and "Custom" in a
// list, the chosen one's limits beside it and the Custom values below; it
// forwards every change to ExportChoices and shows what that says.
#include <QDialog>

#include "dialogs/ExportFor.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace pivra {

class ExportDialog : public QDialog {
public:
    // Edits choices as the user does; accepted only with a valid target.
    ExportDialog(ExportChoices& choices, QWidget* parent);

    QListWidget* list() const { return list_; }
    QLabel* limits() const { return limits_; }
    QLineEdit* sideEdit() const { return side_; }
    QLineEdit* framesEdit() const { return frames_; }
    QLineEdit* frameTimeEdit() const { return frameMs_; }
    QComboBox* formatBox() const { return format_; }
    QLineEdit* maxBytesEdit() const { return maxBytes_; }
    QLabel* problem() const { return problem_; }
    QPushButton* exportButton() const { return export_; }

    // The formats Custom offers, in the box's order.
    static const std::vector<AnimationFormat>& customFormats();

private:
    void showChoices(bool withProblem);
    void tryExport();

    ExportChoices& choices_;
    QListWidget* list_;
    QLabel* limits_;
    QWidget* custom_;
    QLineEdit *side_, *frames_, *frameMs_, *maxBytes_;
    QComboBox* format_;
    QLabel* problem_;
    QPushButton* export_;
};

}  // namespace pivra
