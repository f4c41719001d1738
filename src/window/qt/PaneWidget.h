#pragma once
// A picture pane: a sunken frame showing its canvas at the top left of the
// inside. Clicks (or Space and Enter when it has the focus), paints and
// dropped files go to the form's handlers.
#include <QFrame>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "surface/BitmapImage.h"
#include "surface/PaneCanvas.h"

namespace pivra {

class PaneWidget : public QFrame {
public:
    explicit PaneWidget(QWidget* parent = nullptr);

    PaneCanvas& canvas() { return canvas_; }

    std::function<void()> onClick;
    std::function<void()> onPaint;                     // the form's repaint handler
    // Every local file dropped at once, in the order dropped; null: drops are refused.
    std::function<void(const std::vector<std::string>&)> onDrop;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // The form paints into the canvas from within paintEvent; that drawing
    // must not ask for yet another paint.
    bool inPaint_ = false;
    PaneCanvas canvas_;
    QImage shown_;
};

}  // namespace pivra
