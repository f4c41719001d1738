#pragma once
// A memory device context: one selected bitmap that blits read from and
// draw into. It never owns the bitmap.
#include <cstdint>
#include <functional>
#include <memory>

#include "surface/Bitmap.h"

namespace pivra {

// The one stretch mode: every stretch here keeps the nearest pixel, never a blend.
enum : int { COLORONCOLOR = 3 };

class DeviceContext {
public:
    Bitmap* selected() const { return selected_; }

    // Called after every blit that drew into this context.
    void setDrawnHook(std::function<void()> hook) { drawnHook_ = std::move(hook); }
    void drawn() const {
        if (drawnHook_) drawnHook_();
    }

private:
    friend Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap);

    Bitmap* selected_ = nullptr;
    std::function<void()> drawnHook_;
};

// A new memory context with no bitmap selected; nullptr when memory runs out.
std::unique_ptr<DeviceContext> CreateCompatibleDC();

// Selects bitmap (nullptr deselects) and returns the one it replaces.
Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap);

// Kept for the callers written against the platform's call: there is only
// COLORONCOLOR, so nothing is stored. Returns it, or 0 when dc is null.
int SetStretchBltMode(DeviceContext* dc, int mode);

}  // namespace pivra
