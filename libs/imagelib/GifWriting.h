#pragma once
// The steps of writing a GIF on giflib, shared by the whole-picture encoder
// and the streamed animation.
#include <cstdint>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "GifEncoder.h"
#include "Picture.h"

namespace pivra::imagelib {

struct GifWriterCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using GifWriterPtr = std::unique_ptr<GifFileType, GifWriterCloser>;

// CommandError naming the step unless status is GIF_OK.
void checkGif(int status, GifFileType* gif, const char* step);

// The bytes in memory.
class MemorySink : public GifSink {
public:
    std::vector<std::uint8_t> bytes;
    bool append(const std::uint8_t* data, std::size_t size) noexcept override;
};

// Where a writer's bytes go, and whether the sink has refused any.
struct GifSinkState {
    GifSink* sink;
    bool failed = false;
};

// A GIF89a writer into state's sink, with the screen written and, for an
// animation or an explicit loop count, the loop block.
GifWriterPtr openGifWriter(GifSinkState& state, int screenWidth, int screenHeight, bool animated,
                           const AnimationSettings& settings);

// Whether a frame gets a graphic control block, and writing it.
bool wantsControlBlock(const AnimationSettings& settings, bool animated, int transparentIndex);
void putControlBlock(GifFileType* gif, const AnimationSettings& settings, int transparentIndex);

// One frame at the top-left corner, quantized with its own colour table.
// `indexedOut`, when given, receives the indices and table written.
void putQuantizedFrame(GifFileType* gif, const Picture& frame, const AnimationSettings& settings,
                       bool animated, IndexedPicture* indexedOut = nullptr);

// Writes the trailer; CommandError when giflib or the sink failed.
void closeGifWriter(GifWriterPtr gif, const GifSinkState& state);

}  // namespace pivra::imagelib
