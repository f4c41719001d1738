#include "window/CoinPreview.h"

#include <cmath>

#include "render/CoinLook.h"
#include "render/FacePicture.h"
#include "platform/WorkerPool.h"

namespace pivra {

std::vector<std::uint8_t> DibRowsOverBlack(const std::uint8_t* rgba, int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        const std::uint8_t* in = rgba + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            const unsigned a = in[3];
            out[0] = static_cast<std::uint8_t>((in[2] * a + 127) / 255);
            out[1] = static_cast<std::uint8_t>((in[1] * a + 127) / 255);
            out[2] = static_cast<std::uint8_t>((in[0] * a + 127) / 255);
        }
    }
    return rows;
}

void CoinPreview::prepare(const std::string& head, const std::string& tail, bool crop, int side) {
    unsigned generation;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        done_.reset();
        shown_.reset();
    }
    job_.post([this, head, tail, crop, side, generation](const std::atomic<bool>& stop) {
        CoinLookOptions options;
        options.side = side;
        options.frames = kFrames;
        // The faces at the coin's diameter, as the build loads them.
        const int diameter = CoinFaceSide(options);
        imagelib::Picture h, t;
        std::string why;
        // A picture that cannot be read leaves the flat look showing; the
        // build says why when it is asked for.
        if (!LoadFacePicture(head, diameter, crop, h, why) || stop) return;
        if (!LoadFacePicture(tail, diameter, crop, t, why) || stop) return;
        const CoinLook look(h, t, options);
        auto frames = std::make_shared<Frames>(kFrames);
        ParallelFor(kFrames, [&](int k) {
            if (stop) return;
            const imagelib::Picture frame = look.frame(k);
            (*frames)[static_cast<std::size_t>(k)] = DibRowsOverBlack(frame.rgba.data(), frame.width, frame.height);
        });
        if (stop) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_) return;
        done_ = std::move(frames);
        doneSide_ = side;
    });
}

void CoinPreview::drop() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    done_.reset();
    shown_.reset();
    job_.cancel();
}

bool CoinPreview::ready() {
    if (shown_) return true;
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || !done_) return false;
    shown_ = std::move(done_);
    shownSide_ = doneSide_;
    return true;
}

}  // namespace pivra
