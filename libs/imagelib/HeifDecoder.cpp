#include "HeifDecoder.h"

#include <libheif/heif.h>

#include <memory>

#include "CommandError.h"
#include "JpegScale.h"
#include "SizeChecks.h"

namespace pivra::imagelib {

namespace {

struct HeifDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
template <typename T>
using HeifPtr = std::unique_ptr<T, HeifDeleter>;

void check(const heif_error& error, const std::string& name) {
    if (error.code != heif_error_Ok) throw CommandError("cannot decode \"" + name + "\": " + error.message);
}

// Each output pixel is the mean of a block of `d` x `d` decoded ones (fewer
// at the right and bottom edges), weighted by alpha when there is one.
void shrinkInto(const std::uint8_t* rows, int stride, int channels, int width, int height, int d, Picture& out) {
    if (d == 1) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* p = rows + static_cast<std::ptrdiff_t>(y) * stride;
            std::uint8_t* q = out.pixel(0, y);
            for (int x = 0; x < width; ++x, p += channels, q += 4) {
                q[0] = p[0], q[1] = p[1], q[2] = p[2];
                q[3] = channels == 4 ? p[3] : 255;
            }
        }
        return;
    }
    for (int oy = 0; oy < out.height; ++oy)
        for (int ox = 0; ox < out.width; ++ox) {
            unsigned long long sum[4] = {0, 0, 0, 0}, count = 0;
            for (int y = oy * d; y < height && y < (oy + 1) * d; ++y) {
                const std::uint8_t* p = rows + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(ox) * d * channels;
                for (int x = ox * d; x < width && x < (ox + 1) * d; ++x, p += channels) {
                    const unsigned alpha = channels == 4 ? p[3] : 255;
                    for (int c = 0; c < 3; ++c) sum[c] += static_cast<unsigned long long>(p[c]) * alpha;
                    sum[3] += alpha;
                    ++count;
                }
            }
            std::uint8_t* q = out.pixel(ox, oy);
            for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>(sum[3] ? (sum[c] + sum[3] / 2) / sum[3] : 0);
            q[3] = static_cast<std::uint8_t>((sum[3] + count / 2) / count);
        }
}

}  // namespace

Picture decodeHeif(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize) {
    HeifPtr<heif_context> context(heif_context_alloc());
    if (!context) throw CommandError("cannot decode \"" + name + "\": out of memory");
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr), name);
    heif_image_handle* rawHandle = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &rawHandle), name);
    HeifPtr<heif_image_handle> handle(rawHandle);

    // The sides as shown, after the file's own rotation and crop.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    checkSize(width, height, name);
    const int denominator = nextResize ? jpegScaleDenominator({width, height}, resizeTargetFor(*nextResize, {width, height}, false)) : 1;
    // The decoder's planes and working buffers (measured at about 6 bytes a
    // pixel for 8-bit 4:2:0, twice that past 8 bits), libheif's interleaved
    // copy, and ours unless reduced.
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
    const std::size_t perPixel = (deep ? 12 : 6) + (alpha ? 4 : 3) + (denominator > 1 ? 0 : 4);
    checkDecodeBytes(width, height, perPixel, 0, name);

    HeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()),
          name);
    HeifPtr<heif_image> image(rawImage);
    const int decodedWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int decodedHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (rows == nullptr || decodedWidth != width || decodedHeight != height)
        throw CommandError("cannot decode \"" + name + "\": the picture's data is damaged");

    Picture picture((width + denominator - 1) / denominator, (height + denominator - 1) / denominator);
    shrinkInto(rows, stride, alpha ? 4 : 3, width, height, denominator, picture);
    picture.matte = alpha;
    return picture;
}

}  // namespace pivra::imagelib
