#include "GifEncoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "ColorQuantizer.h"
#include "CommandError.h"
#include "GifLzw.h"
#include "GifWriting.h"
#include "PlainPath.h"

namespace pivra::imagelib {

namespace {

struct ColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMapPtr = std::unique_ptr<ColorMapObject, ColorMapDeleter>;

// giflib's output callback: C calls it, so nothing may escape, and a sink
// that failed once is not written through again (giflib writes its trailer
// at close even after an error).
int writeToSink(GifFileType* gif, const GifByteType* data, int length) noexcept {
    auto* state = static_cast<GifSinkState*>(gif->UserData);
    if (state->failed || length < 0) return 0;
    if (!state->sink->append(data, static_cast<std::size_t>(length))) {
        state->failed = true;
        return 0;
    }
    return length;
}

ColorMapPtr makeColorMap(const std::vector<PaletteColor>& palette) {
    int size = 2;
    while (size < static_cast<int>(palette.size())) size *= 2;
    std::vector<GifColorType> colors(size, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette.size(); ++i)
        colors[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
    ColorMapPtr map(GifMakeMapObject(size, colors.data()));
    if (!map) throw CommandError("GIF encoder is out of memory");
    return map;
}

void putLoopBlock(GifFileType* gif, int loop) {
    GifByteType name[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    GifByteType count[] = {1, static_cast<GifByteType>(loop & 0xFF),
                           static_cast<GifByteType>((loop >> 8) & 0xFF)};
    checkGif(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, "loop block");
    checkGif(EGifPutExtensionBlock(gif, sizeof name, name), gif, "loop block");
    checkGif(EGifPutExtensionBlock(gif, sizeof count, count), gif, "loop block");
    checkGif(EGifPutExtensionTrailer(gif), gif, "loop block");
}

// The image data coded here, written straight to the sink; giflib, which has
// written the minimum code size with the image descriptor, closes the data
// with its empty block and counts the image as written.
void putPixels(GifFileType* gif, const std::vector<std::uint8_t>& indices, int codeSize) {
    std::vector<std::uint8_t> blocks;
    appendLzwBlocks(indices.data(), indices.size(), codeSize, blocks);
    auto* state = static_cast<GifSinkState*>(gif->UserData);
    if (state->failed || !state->sink->append(blocks.data(), blocks.size())) {
        state->failed = true;
        throw CommandError(std::string("GIF encoder failed at pixels: ") + GifErrorString(E_GIF_ERR_WRITE_FAILED));
    }
    checkGif(EGifPutCodeNext(gif, nullptr), gif, "pixels");
}

}  // namespace

bool MemorySink::append(const std::uint8_t* data, std::size_t size) noexcept {
    try {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    } catch (...) {
        return false;
    }
}

void checkGif(int status, GifFileType* gif, const char* step) {
    if (status != GIF_OK)
        throw CommandError(std::string("GIF encoder failed at ") + step + ": " +
                           (GifErrorString(gif->Error) ? GifErrorString(gif->Error) : "unknown error"));
}

GifWriterPtr openGifWriter(GifSinkState& state, int screenWidth, int screenHeight, bool animated,
                           const AnimationSettings& settings) {
    if (screenWidth > 65535 || screenHeight > 65535) throw CommandError("picture too large for GIF");
    int error = 0;
    GifWriterPtr gif(EGifOpen(&state, writeToSink, &error));
    if (!gif) throw CommandError("GIF encoder could not start");
    EGifSetGifVersion(gif.get(), true);
    checkGif(EGifPutScreenDesc(gif.get(), screenWidth, screenHeight, 8, 0, nullptr), gif.get(), "screen");
    if (settings.loop || animated) putLoopBlock(gif.get(), settings.loop.value_or(0));
    return gif;
}

bool wantsControlBlock(const AnimationSettings& settings, bool animated, int transparentIndex) {
    return transparentIndex >= 0 || settings.delay || settings.disposal || animated;
}

void putControlBlock(GifFileType* gif, const AnimationSettings& settings, int transparentIndex) {
    GraphicsControlBlock control{};
    control.DisposalMode = settings.disposal.value_or(DISPOSAL_UNSPECIFIED);
    control.UserInputFlag = false;
    control.DelayTime = settings.delay.value_or(0);
    control.TransparentColor = transparentIndex >= 0 ? transparentIndex : NO_TRANSPARENT_COLOR;
    GifByteType block[4];
    EGifGCBToExtension(&control, block);
    checkGif(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof block, block), gif, "control block");
}

void putQuantizedFrame(GifFileType* gif, const Picture& frame, const AnimationSettings& settings,
                       bool animated, IndexedPicture* indexedOut) {
    IndexedPicture indexed = quantizePicture(frame);
    if (wantsControlBlock(settings, animated, indexed.transparentIndex))
        putControlBlock(gif, settings, indexed.transparentIndex);
    ColorMapPtr map = makeColorMap(indexed.palette);
    checkGif(EGifPutImageDesc(gif, 0, 0, frame.width, frame.height, false, map.get()), gif, "image");
    if (plainPath()) {
        for (int row = 0; row < frame.height; ++row)
            checkGif(EGifPutLine(gif, indexed.indices.data() + static_cast<std::size_t>(row) * frame.width,
                                 frame.width),
                     gif, "pixels");
    } else {
        putPixels(gif, indexed.indices, std::max(2, map->BitsPerPixel));
    }
    if (indexedOut) *indexedOut = std::move(indexed);
}

void closeGifWriter(GifWriterPtr gif, const GifSinkState& state) {
    int error = 0;
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        throw CommandError(std::string("GIF encoder failed: ") +
                           (GifErrorString(error) ? GifErrorString(error) : "unknown error"));
    // giflib does not check the write of its trailer.
    if (state.failed) throw CommandError("GIF encoder failed at the end: Failed to write to given file");
}

void encodeGifTo(const std::vector<Picture>& frames, const AnimationSettings& settings, GifSink& sink,
                 IndexedPicture* firstFrameIndexed) {
    if (frames.empty()) throw CommandError("no frames to write");
    int screenWidth = 0, screenHeight = 0;
    for (const Picture& frame : frames) {
        screenWidth = std::max(screenWidth, frame.width);
        screenHeight = std::max(screenHeight, frame.height);
    }
    const bool animated = frames.size() > 1;
    GifSinkState state{&sink};
    GifWriterPtr gif = openGifWriter(state, screenWidth, screenHeight, animated, settings);
    for (const Picture& frame : frames)
        putQuantizedFrame(gif.get(), frame, settings, animated, &frame == &frames.front() ? firstFrameIndexed : nullptr);
    closeGifWriter(std::move(gif), state);
}

std::vector<std::uint8_t> encodeGif(const std::vector<Picture>& frames, const AnimationSettings& settings,
                                    IndexedPicture* firstFrameIndexed) {
    MemorySink sink;
    encodeGifTo(frames, settings, sink, firstFrameIndexed);
    return std::move(sink.bytes);
}

}  // namespace pivra::imagelib
