#include "PackedPicture.h"

#include <array>
#include <cstring>

namespace pivra::imagelib {

namespace {

// Colour to index for up to 256 colours: open addressing over 512 slots.
class ColorIndex {
public:
    // The colour's index, a new one if there is room; -1 past 256 colours.
    int indexOf(std::uint32_t color, std::vector<std::uint32_t>& colors) {
        std::size_t slot = (color * 0x9E3779B1u) >> 23;
        while (used_[slot]) {
            if (colors[index_[slot]] == color) return index_[slot];
            slot = (slot + 1) & 511;
        }
        if (colors.size() == 256) return -1;
        used_[slot] = true;
        index_[slot] = static_cast<std::uint8_t>(colors.size());
        colors.push_back(color);
        return index_[slot];
    }

private:
    std::array<bool, 512> used_{};
    std::array<std::uint8_t, 512> index_{};
};

}  // namespace

PackedPicture::PackedPicture(std::shared_ptr<const Picture> picture)
    : width_(picture->width), height_(picture->height), palette_(picture->palette), matte_(picture->matte) {
    {
        ColorIndex table;
        indices_.resize(picture->pixelCount());
        const std::uint8_t* p = picture->rgba.data();
        std::uint32_t last = 0;
        int lastIndex = -1;
        for (std::size_t i = 0; i < indices_.size(); ++i, p += 4) {
            std::uint32_t color;
            std::memcpy(&color, p, 4);
            if (color != last || lastIndex < 0) {
                lastIndex = table.indexOf(color, colors_);
                last = color;
                if (lastIndex < 0) break;
            }
            indices_[i] = static_cast<std::uint8_t>(lastIndex);
        }
        if (lastIndex >= 0 || indices_.empty()) return;
    }
    colors_ = {};
    indices_ = {};
    whole_ = std::move(picture);
}

PackedPicture::PackedPicture(const IndexedPicture& written)
    : width_(written.width),
      height_(written.height),
      palette_(true),
      matte_(written.transparentIndex >= 0),
      indices_(written.indices) {
    for (int i = 0; i < static_cast<int>(written.palette.size()); ++i) {
        const PaletteColor& c = written.palette[static_cast<std::size_t>(i)];
        const std::uint8_t rgba[4] = {c.r, c.g, c.b, 255};
        const std::uint8_t clear[4] = {0, 0, 0, 0};
        std::uint32_t color;
        std::memcpy(&color, i == written.transparentIndex ? clear : rgba, 4);
        colors_.push_back(color);
    }
}

PackedPicture::PackedPicture(int width, int height, bool palette, bool matte, std::vector<std::uint32_t> colors,
                             std::vector<std::uint8_t> indices)
    : width_(width),
      height_(height),
      palette_(palette),
      matte_(matte),
      colors_(std::move(colors)),
      indices_(std::move(indices)) {}

std::shared_ptr<const Picture> PackedPicture::unpack() const {
    if (whole_) return whole_;
    auto picture = std::make_shared<Picture>(width_, height_);
    std::uint8_t* out = picture->rgba.data();
    for (const std::uint8_t index : indices_) {
        std::memcpy(out, &colors_[index], 4);
        out += 4;
    }
    picture->palette = palette_;
    picture->matte = matte_;
    return picture;
}

std::size_t PackedPicture::bytes() const {
    const std::size_t own = sizeof(*this) + colors_.capacity() * 4 + indices_.capacity();
    return whole_ ? own + whole_->rgba.capacity() + sizeof(Picture) : own;
}

}  // namespace pivra::imagelib
