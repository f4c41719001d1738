#pragma once
// A memory device context: one selected bitmap that blits read from and
// draw into, plus the stretch mode. It never owns the bitmap.
#include <cstdint>
#include <functional>
#include <memory>

#include "surface/Bitmap.h"

namespace pivra {

// Stretch modes; every stretch here keeps the nearest pixel, never a blend.
enum : int { BLACKONWHITE = 1, COLORONCOLOR = 3 };

class DeviceContext {
public:
    Bitmap* selected() const { return selected_; }
    int stretchMode() const { return stretchMode_; }

    // Called after every blit that drew into this context.
    void setDrawnHook(std::function<void()> hook) { drawnHook_ = std::move(hook); }
    void drawn() const {
        if (drawnHook_) drawnHook_();
    }

private:
    friend Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap);
    friend int SetStretchBltMode(DeviceContext* dc, int mode);

    Bitmap* selected_ = nullptr;
    int stretchMode_ = BLACKONWHITE;
    std::function<void()> drawnHook_;
};

// A new memory context with no bitmap selected; nullptr when memory runs out.
std::unique_ptr<DeviceContext> CreateCompatibleDC();

// Selects bitmap (nullptr deselects) and returns the one it replaces.
Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap);

// Returns the previous mode, 0 when dc is null.
int SetStretchBltMode(DeviceContext* dc, int mode);

}  // namespace pivra
