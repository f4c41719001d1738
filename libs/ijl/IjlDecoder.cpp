#include "IjlDecoder.h"

#include <jerror.h>

namespace pivra::ijl {
namespace {

IJLERR StatusForMessage(int code) {
    switch (code) {
    case JERR_NO_SOI:
        return IJL_NOT_A_JPEG;
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
    case JWRN_JPEG_EOF:
        return IJL_TRUNCATED;
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_TFILE_CREATE:
    case JERR_TFILE_READ:
    case JERR_TFILE_SEEK:
    case JERR_TFILE_WRITE:
        return IJL_OUT_OF_MEMORY;
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_NO_ARITH_TABLE:
    case JERR_ARITH_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
        return IJL_UNSUPPORTED_FEATURE;
    default:
        return IJL_CORRUPT_DATA;
    }
}

[[noreturn]] void Fail(j_common_ptr cinfo, IJLERR status) {
    auto* err = reinterpret_cast<IjlDecoder::ErrorManager*>(cinfo->err);
    err->status = status;
    std::longjmp(err->jump, 1);
}

void Remember(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<IjlDecoder::ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
}

void ErrorExit(j_common_ptr cinfo) {
    Remember(cinfo);
    Fail(cinfo, StatusForMessage(cinfo->err->msg_code));
}

// Warnings that mean the picture is incomplete or damaged fail the read: a
// truncated file must not pass for a good one with a grey bottom.
void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<IjlDecoder::ErrorManager*>(cinfo->err);
    const int code = cinfo->err->msg_code;
    if (level < 0) {
        switch (code) {
        case JWRN_ADOBE_XFORM:
        case JWRN_JFIF_MAJOR:
        case JWRN_BOGUS_ICC:
        case JWRN_EXTRANEOUS_DATA:
            break;  // the picture itself is intact
        default:
            Remember(cinfo);
            Fail(cinfo, StatusForMessage(code));
        }
        cinfo->err->num_warnings++;
    } else if (code == JTRC_SOS && ++err->scans > IjlDecoder::kMaxScans) {
        Fail(cinfo, IJL_CORRUPT_DATA);
    }
}

void OutputMessage(j_common_ptr) {}

}  // namespace

IjlDecoder::IjlDecoder() { create(); }

IjlDecoder::~IjlDecoder() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
}

void IjlDecoder::create() {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = ErrorExit;
    err_.pub.emit_message = EmitMessage;
    err_.pub.output_message = OutputMessage;
    if (setjmp(err_.jump)) {
        jpeg_destroy_decompress(&cinfo_);
        return;
    }
    jpeg_create_decompress(&cinfo_);
    cinfo_.mem->max_memory_to_use = kMaxLibraryMemory;
    created_ = true;
}

IJLERR IjlDecoder::startRead(const std::uint8_t* data, std::size_t size) {
    if (setjmp(err_.jump)) {
        jpeg_abort_decompress(&cinfo_);
        return err_.status;
    }
    err_.status = IJL_OK;
    err_.scans = 0;
    err_.message[0] = '\0';
    jpeg_abort_decompress(&cinfo_);
    jpeg_mem_src(&cinfo_, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo_, TRUE);
    return IJL_OK;
}

IJLERR IjlDecoder::readParams(const std::uint8_t* data, std::size_t size, JpegParams& params) {
    if (!created_) return IJL_NOT_INITIALISED;
    const IJLERR status = startRead(data, size);
    if (status != IJL_OK) return status;
    params.width = static_cast<std::int32_t>(cinfo_.image_width);
    params.height = static_cast<std::int32_t>(cinfo_.image_height);
    params.channels = cinfo_.num_components;
    switch (cinfo_.jpeg_color_space) {
    case JCS_GRAYSCALE: params.color = IJL_G; break;
    case JCS_YCbCr: params.color = IJL_YCBCR; break;
    case JCS_RGB: params.color = IJL_RGB; break;
    case JCS_YCCK: params.color = IJL_YCBCRA_FPX; break;
    default: params.color = IJL_OTHER; break;
    }
    params.blocks = 0;
    for (int i = 0; i < cinfo_.num_components; ++i)
        params.blocks += std::int64_t{cinfo_.comp_info[i].width_in_blocks} * cinfo_.comp_info[i].height_in_blocks;
    params.arithmetic = cinfo_.arith_code != FALSE;
    params.progressive = cinfo_.progressive_mode != FALSE;
    jpeg_abort_decompress(&cinfo_);
    return IJL_OK;
}

IJLERR IjlDecoder::readImage(const std::uint8_t* data, std::size_t size, int scaleDenom,
                             const PixelTarget& target) {
    if (!created_) return IJL_NOT_INITIALISED;
    IJLERR status = startRead(data, size);
    if (status != IJL_OK) return status;

    if (setjmp(err_.jump)) {
        jpeg_abort_decompress(&cinfo_);
        return err_.status;
    }
    // Four-channel (CMYK, YCCK) data has no conversion to blue-green-red in
    // libjpeg-turbo, so it fails here rather than giving wrong colours.
    if (cinfo_.num_components != 1 && cinfo_.num_components != 3)
        Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_UNSUPPORTED_COLOR);
    if (target.color == IJL_BGR)
        cinfo_.out_color_space = JCS_EXT_BGR;
    else if (target.color == IJL_RGB)
        cinfo_.out_color_space = JCS_EXT_RGB;
    else
        Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_UNSUPPORTED_COLOR);
    cinfo_.scale_num = 1;
    cinfo_.scale_denom = static_cast<unsigned int>(scaleDenom);
    jpeg_calc_output_dimensions(&cinfo_);
    if (static_cast<std::int64_t>(cinfo_.output_width) != target.width ||
        static_cast<std::int64_t>(cinfo_.output_height) != target.height ||
        cinfo_.output_components != 3)
        Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_INVALID_DIB);

    jpeg_start_decompress(&cinfo_);
    while (cinfo_.output_scanline < cinfo_.output_height) {
        const std::int64_t line = cinfo_.output_scanline;
        const std::int64_t row = target.bottomUp ? target.height - 1 - line : line;
        JSAMPROW rowPtr = target.bits + row * target.stride;
        if (jpeg_read_scanlines(&cinfo_, &rowPtr, 1) != 1)
            Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_TRUNCATED);
    }
    // Whatever follows the last row (trailing bytes, a missing end marker) is not read.
    jpeg_abort_decompress(&cinfo_);
    return IJL_OK;
}

IJLERR IjlDecoder::readRgba(const std::uint8_t* data, std::size_t size, std::uint8_t* rgba, std::int32_t width,
                            std::int32_t height) {
    if (!created_) return IJL_NOT_INITIALISED;
    IJLERR status = startRead(data, size);
    if (status != IJL_OK) return status;

    if (setjmp(err_.jump)) {
        jpeg_abort_decompress(&cinfo_);
        return err_.status;
    }
    const bool fourChannel = cinfo_.num_components == 4;
    if (fourChannel)
        cinfo_.out_color_space = JCS_CMYK;
    else if (cinfo_.num_components == 1 || cinfo_.num_components == 3)
        cinfo_.out_color_space = JCS_EXT_RGBA;  // libjpeg-turbo fills alpha with 255
    else
        Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_UNSUPPORTED_COLOR);
    jpeg_calc_output_dimensions(&cinfo_);
    if (static_cast<std::int64_t>(cinfo_.output_width) != width ||
        static_cast<std::int64_t>(cinfo_.output_height) != height || cinfo_.output_components != 4)
        Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_INVALID_DIB);

    jpeg_start_decompress(&cinfo_);
    const std::int64_t stride = std::int64_t{width} * 4;
    while (cinfo_.output_scanline < cinfo_.output_height) {
        JSAMPROW rowPtr = rgba + std::int64_t{cinfo_.output_scanline} * stride;
        if (jpeg_read_scanlines(&cinfo_, &rowPtr, 1) != 1)
            Fail(reinterpret_cast<j_common_ptr>(&cinfo_), IJL_TRUNCATED);
        if (fourChannel) {
            // Inverted CMYK as Adobe writes it (and ImageMagick reads it): each
            // stored value is 255 - ink, so a colour is value x (255 - black ink).
            for (std::uint8_t* p = rowPtr; p < rowPtr + stride; p += 4) {
                const unsigned k = p[3];
                p[0] = static_cast<std::uint8_t>((p[0] * k + 127) / 255);
                p[1] = static_cast<std::uint8_t>((p[1] * k + 127) / 255);
                p[2] = static_cast<std::uint8_t>((p[2] * k + 127) / 255);
                p[3] = 255;
            }
        }
    }
    jpeg_abort_decompress(&cinfo_);
    return IJL_OK;
}

}  // namespace pivra::ijl
