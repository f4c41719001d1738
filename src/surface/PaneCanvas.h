#pragma once
// What a pane draws into: a persistent picture the size of the pane, owned
// by the pane's widget. Surfaces paint into its device context; each drawing
// asks the widget to repaint, and the widget shows picture() when it does.
#include <cstdint>
#include <functional>
#include <memory>

#include "surface/Bitmap.h"
#include "surface/DeviceContext.h"

namespace pivra {

class PaneCanvas {
public:
    explicit PaneCanvas(std::function<void()> repaintRequest = {});
    ~PaneCanvas();
    PaneCanvas(const PaneCanvas&) = delete;
    PaneCanvas& operator=(const PaneCanvas&) = delete;

    // A new, black 32-bit picture of this size; false (and no picture) when
    // the size is not positive or too large.
    bool resize(std::int32_t width, std::int32_t height);

    // The context to paint into; never null.
    DeviceContext* hDC() const { return dc_.get(); }
    // The picture to show; null before the first successful resize.
    const Bitmap* picture() const { return picture_.get(); }

private:
    std::unique_ptr<DeviceContext> dc_;
    std::unique_ptr<Bitmap> picture_;
};

}  // namespace pivra
