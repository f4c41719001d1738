#include "DialogHost.h"

#include <utility>

namespace pivra {
namespace {

void Present(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace

DialogHost::DialogHost(ScaleOwner& owner, std::string installFolder, QWidget* window)
    : owner_(owner), installFolder_(std::move(installFolder)), window_(window) {}

DialogHost::~DialogHost() {
    // With a window they go with it; without one they are ours.
    if (!window_) {
        delete scale_.data();
        delete manual_.data();
        delete about_.data();
        delete whatElse_.data();
    }
}

ScaleDialog* DialogHost::showScale() {
    if (!scale_) scale_ = new ScaleDialog(owner_, window_);
    scale_->form().Show();
    return scale_;
}

InstructionsDialog* DialogHost::showManual() {
    if (!manual_) manual_ = new InstructionsDialog(window_);
    Present(manual_);
    return manual_;
}

AboutDialog* DialogHost::showAbout() {
    if (!about_) about_ = new AboutDialog(AboutFormLoad(installFolder_), window_);
    Present(about_);
    return about_;
}

WhatElseDialog* DialogHost::showWhatElse() {
    if (!whatElse_) whatElse_ = new WhatElseDialog(window_);
    Present(whatElse_);
    return whatElse_;
}

}  // namespace pivra
