#pragma once
// Messages as modal message boxes over the active window, else the main one.
#include <QPointer>
#include <QWidget>

#include "platform/MessageBox.h"

namespace pivra {

class QtNotifier : public Notifier {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& prompt, int style, const std::string& title) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace pivra
