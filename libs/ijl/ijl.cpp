#include "ijl.h"

#include <new>

#include "IjlDecoder.h"

namespace pivra::ijl {
namespace {

int ScaleDenominator(IJLIOTYPE mode) {
    switch (mode) {
    case IJL_JBUFF_READWHOLEIMAGE: return 1;
    case IJL_JBUFF_READONEHALF: return 2;
    case IJL_JBUFF_READONEQUARTER: return 4;
    case IJL_JBUFF_READONEEIGHTH: return 8;
    default: return 0;
    }
}

bool ValidDib(const JPEG_CORE_PROPERTIES& p) {
    return p.DIBBytes != nullptr && p.DIBWidth > 0 && p.DIBHeight != 0 &&
           p.DIBHeight != INT32_MIN && p.DIBPadBytes >= 0 && p.DIBChannels == 3;
}

}  // namespace

IJLERR ijlInit(JPEG_CORE_PROPERTIES* jcprops) {
    if (jcprops == nullptr) return IJL_INVALID_POINTER;
    auto* decoder = new (std::nothrow) IjlDecoder;
    if (decoder == nullptr) return IJL_OUT_OF_MEMORY;
    if (!decoder->ready()) {
        delete decoder;
        return IJL_OUT_OF_MEMORY;
    }
    jcprops->decoder = decoder;
    jcprops->DIBChannels = 3;
    jcprops->DIBColor = IJL_BGR;
    jcprops->JPGChannels = 3;
    jcprops->JPGColor = IJL_YCBCR;
    return IJL_OK;
}

IJLERR ijlRead(JPEG_CORE_PROPERTIES* jcprops, IJLIOTYPE iotype) {
    if (jcprops == nullptr) return IJL_INVALID_POINTER;
    if (jcprops->decoder == nullptr) return IJL_NOT_INITIALISED;
    if (jcprops->JPGBytes == nullptr || jcprops->JPGSizeBytes <= 0) return IJL_NO_JPEG_DATA;
    const auto size = static_cast<std::size_t>(jcprops->JPGSizeBytes);

    if (iotype == IJL_JBUFF_READPARAMS) {
        JpegParams params;
        const IJLERR status = jcprops->decoder->readParams(jcprops->JPGBytes, size, params);
        if (status != IJL_OK) return status;
        jcprops->JPGWidth = params.width;
        jcprops->JPGHeight = params.height;
        jcprops->JPGChannels = params.channels;
        jcprops->JPGColor = params.color;
        return IJL_OK;
    }

    const int denom = ScaleDenominator(iotype);
    if (denom == 0) return IJL_INVALID_MODE;
    if (!ValidDib(*jcprops)) return IJL_INVALID_DIB;
    PixelTarget target{};
    target.bits = jcprops->DIBBytes;
    target.width = jcprops->DIBWidth;
    target.height = jcprops->DIBHeight < 0 ? -jcprops->DIBHeight : jcprops->DIBHeight;
    target.stride = std::int64_t{jcprops->DIBWidth} * 3 + jcprops->DIBPadBytes;
    target.bottomUp = jcprops->DIBHeight < 0;
    target.color = jcprops->DIBColor;
    return jcprops->decoder->readImage(jcprops->JPGBytes, size, denom, target);
}

IJLERR ijlFree(JPEG_CORE_PROPERTIES* jcprops) {
    if (jcprops == nullptr) return IJL_INVALID_POINTER;
    delete jcprops->decoder;
    jcprops->decoder = nullptr;
    return IJL_OK;
}

const char* ijlErrorStr(IJLERR code) {
    switch (code) {
    case IJL_OK: return "No error";
    case IJL_INVALID_POINTER: return "Invalid pointer to the core properties";
    case IJL_NOT_INITIALISED: return "The core properties were not initialised";
    case IJL_INVALID_MODE: return "Unknown read mode";
    case IJL_NO_JPEG_DATA: return "No JPEG data to read";
    case IJL_NOT_A_JPEG: return "The data is not a JPEG image";
    case IJL_TRUNCATED: return "The JPEG data ends before the picture is complete";
    case IJL_CORRUPT_DATA: return "The JPEG data is corrupt";
    case IJL_UNSUPPORTED_FEATURE: return "The JPEG uses a feature this decoder does not support";
    case IJL_OUT_OF_MEMORY: return "Not enough memory to decode the JPEG";
    case IJL_INVALID_DIB: return "The destination picture does not match the JPEG";
    case IJL_UNSUPPORTED_COLOR: return "The JPEG colour layout cannot be converted to the destination";
    default: return nullptr;
    }
}

}  // namespace pivra::ijl
