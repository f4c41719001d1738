#include "surface/DeviceContext.h"

#include <new>

namespace pivra {

std::unique_ptr<DeviceContext> CreateCompatibleDC() {
    return std::unique_ptr<DeviceContext>(new (std::nothrow) DeviceContext);
}

Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap) {
    if (dc == nullptr) return nullptr;
    Bitmap* previous = dc->selected_;
    dc->selected_ = bitmap;
    return previous;
}

int SetStretchBltMode(DeviceContext* dc, int) { return dc == nullptr ? 0 : COLORONCOLOR; }

}  // namespace pivra
