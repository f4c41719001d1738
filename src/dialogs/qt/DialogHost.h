#pragma once
// The main window's modeless dialogs, one copy of each at most: the scale
// dialog, the instructions and "What Else PIVRA Can Do" are made once and
// then only shown and hidden; the About window is made afresh after each OK.
#include <QPointer>

#include <string>

#include "AboutDialog.h"
#include "InstructionsDialog.h"
#include "ScaleDialog.h"
#include "WhatElseDialog.h"

namespace pivra {

class DialogHost {
public:
    // installFolder (ending in "/") holds Apivra.gif; window owns the dialogs.
    DialogHost(ScaleOwner& owner, std::string installFolder, QWidget* window);
    ~DialogHost();
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    ScaleDialog* showScale();          // mnu_Scale_Click
    InstructionsDialog* showManual();  // Mnu_Manual_Click
    AboutDialog* showAbout();          // mn_about_Click
    WhatElseDialog* showWhatElse();    // mnu_WhatElse_Click

    ScaleDialog* scaleDialog() const { return scale_; }
    InstructionsDialog* manual() const { return manual_; }
    AboutDialog* about() const { return about_; }
    WhatElseDialog* whatElse() const { return whatElse_; }

private:
    ScaleOwner& owner_;
    std::string installFolder_;
    QWidget* window_;
    QPointer<ScaleDialog> scale_;
    QPointer<InstructionsDialog> manual_;
    QPointer<AboutDialog> about_;
    QPointer<WhatElseDialog> whatElse_;
};

}  // namespace pivra
