#pragma once
// "About PIVRA": title, version, description, credit and the small
// animation. Its OK (also Enter and Escape) destroys the window, so the next
// showing builds it afresh.
#include <QDialog>

#include "dialogs/AboutTexts.h"

class QLabel;
class QPushButton;

namespace pivra {

class GifViewer;

class AboutDialog : public QDialog {
public:
    AboutDialog(const AboutTexts& texts, QWidget* parent);

    QPushButton* okButton() const { return ok_; }
    GifViewer* viewer() const { return viewer_; }

private:
    QPushButton* ok_;
    GifViewer* viewer_;
};

}  // namespace pivra
