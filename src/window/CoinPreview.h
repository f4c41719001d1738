#pragma once
// The coin look's frames for the live preview, prepared off the window's
// thread so that a tick only copies one ready frame: the window shows the
// flat look until all of them are there.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "window/BackgroundJob.h"

namespace pivra {

class CoinPreview {
public:
    static constexpr int kFrames = 50;  // one whole turn, one frame a tick

    CoinPreview() = default;
    CoinPreview(const CoinPreview&) = delete;
    CoinPreview& operator=(const CoinPreview&) = delete;

    // Starts preparing the turn of these pictures, side pixels square, over
    // black as the preview pane shows it; the frames of an earlier request
    // are dropped at once.
    void prepare(const std::string& head, const std::string& tail, bool crop, int side);
    // No frames, and none on the way.
    void drop();
    // Whether the frames of the last request are all there; never waits.
    bool ready();
    // Frame k (0 is the head face-on) in the layout of a 24-bit DIB section
    // side pixels square: rows bottom-up, blue-green-red, padded to 4 bytes.
    // Only while ready().
    const std::vector<std::uint8_t>& frame(int k) const { return shown_->at(static_cast<std::size_t>(k)); }
    int side() const { return shownSide_; }

private:
    using Frames = std::vector<std::vector<std::uint8_t>>;

    std::mutex mutex_;
    unsigned generation_ = 0;      // of the last request
    std::shared_ptr<Frames> done_;  // finished by the job, not yet taken
    int doneSide_ = 0;
    std::shared_ptr<Frames> shown_;
    int shownSide_ = 0;
    BackgroundJob job_;  // last: stopped and joined before the rest goes
};

// An RGBA frame over black in the layout of a 24-bit DIB section.
std::vector<std::uint8_t> DibRowsOverBlack(const std::uint8_t* rgba, int width, int height);

}  // namespace pivra
