#pragma once
// A label that reports clicks: the hint labels and the two label buttons.
#include <QLabel>

#include <functional>

namespace pivra {

class ClickLabel : public QLabel {
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

}  // namespace pivra
