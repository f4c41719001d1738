#pragma once
// "About PIVRA": title, version, description, credit and the small
// animation. Its OK (also Enter and Escape) destroys the window, so the next
// showing builds it afresh.
#include <QDialog>

#include "dialogs/AboutTexts.h"

class QLabel;
class QMovie;
class QPushButton;

namespace pivra {

class AboutDialog : public QDialog {
public:
    AboutDialog(const AboutTexts& texts, QWidget* parent);

    QPushButton* okButton() const { return ok_; }
    QMovie* animation() const { return movie_; }

private:
    QPushButton* ok_;
    QMovie* movie_;
};

}  // namespace pivra
