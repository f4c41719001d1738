#include "surface/PaneCanvas.h"

#include <stdexcept>

namespace pivra {

PaneCanvas::PaneCanvas(std::function<void()> repaintRequest) : dc_(CreateCompatibleDC()) {
    if (!dc_) throw std::bad_alloc();
    dc_->setDrawnHook(std::move(repaintRequest));
}

PaneCanvas::~PaneCanvas() { SelectObject(dc_.get(), nullptr); }

bool PaneCanvas::resize(std::int32_t width, std::int32_t height) {
    SelectObject(dc_.get(), nullptr);
    picture_.reset();
    BitmapInfoHeader header;
    header.biSize = kBitmapInfoHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    picture_ = Bitmap::CreateDIBSection(header);
    if (!picture_) return false;
    SelectObject(dc_.get(), picture_.get());
    dc_->drawn();
    return true;
}

}  // namespace pivra
