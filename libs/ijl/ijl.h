#pragma once
// The JPEG library the reader talks to: four entry points over libjpeg-turbo
// and a core-properties block that describes the JPEG bytes and the picture
// memory they are decoded into.
#include <cstdint>

namespace pivra::ijl {

class IjlDecoder;

using IJLERR = std::int32_t;

// Status codes. 0 is success; every failure has its own negative code and text.
enum : IJLERR {
    IJL_OK = 0,
    IJL_INVALID_POINTER = -1,
    IJL_NOT_INITIALISED = -2,
    IJL_INVALID_MODE = -3,
    IJL_NO_JPEG_DATA = -4,
    IJL_NOT_A_JPEG = -5,
    IJL_TRUNCATED = -6,
    IJL_CORRUPT_DATA = -7,
    IJL_UNSUPPORTED_FEATURE = -8,
    IJL_OUT_OF_MEMORY = -9,
    IJL_INVALID_DIB = -10,
    IJL_UNSUPPORTED_COLOR = -11,
};

// Read modes.
enum IJLIOTYPE : std::int32_t {
    IJL_JBUFF_READPARAMS = 1,
    IJL_JBUFF_READWHOLEIMAGE = 3,
    IJL_JBUFF_READONEHALF = 15,
    IJL_JBUFF_READONEQUARTER = 17,
    IJL_JBUFF_READONEEIGHTH = 19,
};

// Colour codes of the JPEG data and of the picture memory.
enum : std::int32_t {
    IJL_RGB = 1,
    IJL_BGR = 2,
    IJL_YCBCR = 3,
    IJL_G = 4,
    IJL_RGBA_FPX = 5,
    IJL_YCBCRA_FPX = 6,
    IJL_OTHER = 255,
};

struct JPEG_CORE_PROPERTIES {
    // Picture memory: rows of DIBWidth pixels followed by DIBPadBytes filler.
    // A negative DIBHeight means bottom-up rows (the first row in memory is
    // the bottom of the picture).
    std::uint8_t* DIBBytes;
    std::int32_t DIBWidth;
    std::int32_t DIBHeight;
    std::int32_t DIBPadBytes;
    std::int32_t DIBChannels;
    std::int32_t DIBColor;

    // JPEG data in memory, and what the parameter read found in it.
    const std::uint8_t* JPGBytes;
    std::int32_t JPGSizeBytes;
    std::int32_t JPGWidth;
    std::int32_t JPGHeight;
    std::int32_t JPGChannels;
    std::int32_t JPGColor;

    // Owned by the library between ijlInit and ijlFree.
    IjlDecoder* decoder;
};

// Prepares a zero-filled block: DIBChannels 3, DIBColor IJL_BGR, JPGColor IJL_YCBCR.
IJLERR ijlInit(JPEG_CORE_PROPERTIES* jcprops);
IJLERR ijlRead(JPEG_CORE_PROPERTIES* jcprops, IJLIOTYPE iotype);
// Releases what ijlInit made; the block may be initialised again afterwards.
IJLERR ijlFree(JPEG_CORE_PROPERTIES* jcprops);
// Text for a status, or nullptr when the status is not one of ours.
const char* ijlErrorStr(IJLERR code);

}  // namespace pivra::ijl
