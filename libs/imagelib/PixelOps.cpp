#include "PixelOps.h"

#include <algorithm>

namespace pivra::imagelib {

void spreadRgbToOpaqueRgba(Picture& picture) {
    const std::size_t n = picture.pixelCount();
    const std::uint8_t* rgb = rgbStaging(picture);
    std::uint8_t* out = picture.rgba.data();
    for (std::size_t i = 0; i < n; ++i, rgb += 3, out += 4) {
        const std::uint8_t r = rgb[0], g = rgb[1], b = rgb[2];
        out[0] = r;
        out[1] = g;
        out[2] = b;
        out[3] = 255;
    }
}

namespace {

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
}

// Mixes two straight-alpha pixels with weight w for `top`, in premultiplied
// form so the colour of a transparent pixel never bleeds into the result.
void mixPixels(const std::uint8_t* bottom, const std::uint8_t* top, float w, std::uint8_t* out) {
    const float ab = bottom[3] / 255.0f * (1.0f - w);
    const float at = top[3] / 255.0f * w;
    const float alpha = ab + at;
    for (int c = 0; c < 3; ++c) {
        out[c] = alpha > 0.0f ? toByte((bottom[c] * ab + top[c] * at) / alpha)
                              : toByte(bottom[c] * (1.0f - w) + top[c] * w);
    }
    out[3] = toByte(alpha * 255.0f);
}

}  // namespace

void negateColors(Picture& picture) {
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
        picture.rgba[i] = 255 - picture.rgba[i];
        picture.rgba[i + 1] = 255 - picture.rgba[i + 1];
        picture.rgba[i + 2] = 255 - picture.rgba[i + 2];
    }
}

void makeColorTransparent(Picture& picture, Rgb color) {
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4)
        if (picture.rgba[i] == color.r && picture.rgba[i + 1] == color.g &&
            picture.rgba[i + 2] == color.b)
            picture.rgba[i + 3] = 0;
    picture.palette = false;
    picture.matte = true;
}

void colorize(Picture& picture, Rgb fill, int percent) {
    const std::uint8_t to[3] = {fill.r, fill.g, fill.b};
    const float w = percent / 100.0f;
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) picture.rgba[i + c] = toByte(picture.rgba[i + c] * (1.0f - w) + to[c] * w);
    picture.palette = false;
}

void flattenOnto(Picture& picture, Rgb background) {
    const std::uint8_t under[4] = {background.r, background.g, background.b, 255};
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
        std::uint8_t* p = &picture.rgba[i];
        if (p[3] == 255) continue;
        std::uint8_t top[4] = {p[0], p[1], p[2], 255};
        mixPixels(under, top, p[3] / 255.0f, p);
    }
}

void compositeOver(const Picture& src, Picture& base, int x, int y) {
    const int x0 = std::max(0, x), x1 = std::min(base.width, x + src.width);
    const int y0 = std::max(0, y), y1 = std::min(base.height, y + src.height);
    for (int by = y0; by < y1; ++by) {
        for (int bx = x0; bx < x1; ++bx) {
            const std::uint8_t* s = src.pixel(bx - x, by - y);
            std::uint8_t* b = base.pixel(bx, by);
            if (s[3] == 255) {
                std::copy(s, s + 4, b);
            } else if (s[3] != 0) {
                const float as = s[3] / 255.0f;
                const float ab = b[3] / 255.0f * (1.0f - as);
                const float alpha = as + ab;
                for (int c = 0; c < 3; ++c) b[c] = toByte((s[c] * as + b[c] * ab) / alpha);
                b[3] = toByte(alpha * 255.0f);
            }
        }
    }
}

void compositeThroughMask(const Picture& src, Picture& base, const Picture& mask, int x, int y) {
    const int x0 = std::max(0, x), x1 = std::min({base.width, x + src.width, mask.width});
    const int y0 = std::max(0, y), y1 = std::min({base.height, y + src.height, mask.height});
    for (int by = y0; by < y1; ++by) {
        for (int bx = x0; bx < x1; ++bx) {
            const std::uint8_t* m = mask.pixel(bx, by);
            if (m[3] == 0) continue;
            // Rec. 709 luma, ImageMagick's default pixel intensity.
            const float intensity = (0.212656f * m[0] + 0.715158f * m[1] + 0.072186f * m[2]) / 255.0f;
            const float weight = (1.0f - intensity) * (m[3] / 255.0f);
            if (weight < 0.5f / 255.0f) continue;  // rounds to no change
            const std::uint8_t* s = src.pixel(bx - x, by - y);
            std::uint8_t* b = base.pixel(bx, by);
            if (weight > 1.0f - 0.5f / 255.0f) {
                std::copy(s, s + 4, b);
            } else {
                std::uint8_t mixed[4];
                mixPixels(b, s, weight, mixed);
                std::copy(mixed, mixed + 4, b);
            }
        }
    }
}

}  // namespace pivra::imagelib
