#pragma once
// A label that reports clicks: the hint labels and the two label buttons.
// Given the focus (the buttons are), it shows it and Space or Enter press it.
#include <QLabel>

#include <functional>

namespace pivra {

class ClickLabel : public QLabel {
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace pivra
