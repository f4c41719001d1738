#include "HeifDecoder.h"

#include <libheif/heif.h>

#include <memory>
#include <vector>

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

// Of the thumbnails kept beside the picture, the smallest with at least
// `target`'s sides (as shown), or none.
HeifPtr<heif_image_handle> smallestThumbnailOf(heif_image_handle* primary, PixelSize target) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0) return nullptr;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    HeifPtr<heif_image_handle> best;
    for (const heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &raw).code != heif_error_Ok) continue;
        HeifPtr<heif_image_handle> thumbnail(raw);
        const int w = heif_image_handle_get_width(raw), h = heif_image_handle_get_height(raw);
        if (w < target.width || h < target.height) continue;
        if (!best || 1LL * w * h < 1LL * heif_image_handle_get_width(best.get()) * heif_image_handle_get_height(best.get()))
            best = std::move(thumbnail);
    }
    return best;
}

}  // namespace

Picture decodeHeif(const std::vector<std::uint8_t>& bytes, const std::string& name,
                   const std::optional<ResizeGeometry>& nextResize) {
    HeifPtr<heif_context> context(heif_context_alloc());
    if (!context) throw CommandError("cannot decode \"" + name + "\": out of memory");
    // libheif's own bound only past ours, so that a claim beyond ours is refused with our reason.
    heif_context_set_maximum_image_size_limit(context.get(), 1 << 16);
    check(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr), name);
    heif_image_handle* rawHandle = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &rawHandle), name);
    HeifPtr<heif_image_handle> handle(rawHandle);

    // The sides as shown, after the file's own rotation and crop.
    int width = heif_image_handle_get_width(handle.get());
    int height = heif_image_handle_get_height(handle.get());
    bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    checkSize(width, height, name);
    const std::optional<PixelSize> target =
        nextResize ? std::optional(resizeTargetFor(*nextResize, {width, height}, false)) : std::nullopt;
    // The decoder's planes and working buffers (measured at about 6 bytes a
    // pixel for 8-bit 4:2:0, twice that past 8 bits), libheif's interleaved
    // copy, and ours unless reduced.
    const auto bytesPerPixel = [&](heif_image_handle* h, int denominator) {
        const bool deep = heif_image_handle_get_luma_bits_per_pixel(h) > 8;
        return std::size_t((deep ? 12 : 6) + (heif_image_handle_has_alpha_channel(h) ? 4 : 3) + (denominator > 1 ? 0 : 4));
    };
    int denominator = target ? jpegScaleDenominator({width, height}, *target) : 1;
    std::size_t budget = kMaxDecodeBytes;
    if (1ULL * width * height * bytesPerPixel(handle.get(), denominator) > kMaxDecodeBytes && target) {
        // Too large for the whole decode this reader always made: a picture
        // kept beside it with at least the pixels the resize makes will do.
        if (HeifPtr<heif_image_handle> thumbnail = smallestThumbnailOf(handle.get(), *target)) {
            handle = std::move(thumbnail);
            width = heif_image_handle_get_width(handle.get());
            height = heif_image_handle_get_height(handle.get());
            alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
            denominator = jpegScaleDenominator({width, height}, *target);
        } else {
            budget = kMaxHeifDecodeBytes;
        }
    }
    checkDecodeBytes(width, height, bytesPerPixel(handle.get(), denominator), 0, name, budget);

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
