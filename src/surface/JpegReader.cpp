#include "surface/JpegReader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/MessageBox.h"
#include "surface/IjlEntryPoints.h"

namespace pivra {
namespace {

using namespace ijl;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

IJLIOTYPE ReadModeFor(std::int32_t factor) {
    switch (factor) {
    case 2: return IJL_JBUFF_READONEHALF;
    case 4: return IJL_JBUFF_READONEQUARTER;
    case 8: return IJL_JBUFF_READONEEIGHTH;
    default: return IJL_JBUFF_READWHOLEIMAGE;
    }
}

// The destination side for a factor, rounded up from the exact fraction.
std::int32_t ScaledSide(std::int32_t side, std::int32_t factor) {
    switch (factor) {
    case 2: return static_cast<std::int32_t>((std::int64_t{side} + 1) / 2);
    case 4: return static_cast<std::int32_t>((std::int64_t{side} + 3) / 4);
    case 8: return static_cast<std::int32_t>((std::int64_t{side} + 7) / 8);
    default: return side;
    }
}

}  // namespace

bool ReadJpegFile(CDIBSection& dib, const std::string& fileName, std::int32_t factor) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long length = std::ftell(file.get());
    if (length <= 0 || length > INT32_MAX || std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
    file.reset();
    return DecodeJpegBuffer(dib, bytes.data(), static_cast<std::int32_t>(length), factor);
}

bool DecodeJpegBuffer(CDIBSection& dib, const std::uint8_t* dataPtr, std::int32_t dataLen, std::int32_t factor) {
    // No bytes, nothing to decode: the surface keeps what it holds.
    if (dataPtr == nullptr || dataLen <= 0) return false;
    const IjlEntryPoints& ijl = CurrentIjl();
    JPEG_CORE_PROPERTIES coreProps{};

    IJLERR status = ijl.ijlInit(&coreProps);
    if (status != IJL_OK) {
        ReportJpegError("Failed to initialise the IJL library: ", status);
        return false;
    }
    coreProps.JPGBytes = dataPtr;
    coreProps.JPGSizeBytes = dataLen;

    status = ijl.ijlRead(&coreProps, IJL_JBUFF_READPARAMS);
    if (status != IJL_OK) {
        ReportJpegError("FAILED TO READ IMAGE PARAMS - ", status);
        ijl.ijlFree(&coreProps);
        return false;
    }

    const std::int32_t width = ScaledSide(coreProps.JPGWidth, factor);
    const std::int32_t height = ScaledSide(coreProps.JPGHeight, factor);

    switch (coreProps.JPGChannels) {
    case 1:
        coreProps.JPGColor = IJL_G;
        coreProps.DIBColor = IJL_BGR;
        break;
    case 3:
        coreProps.DIBColor = IJL_BGR;
        break;
    case 4:
        coreProps.JPGColor = IJL_YCBCRA_FPX;
        coreProps.DIBColor = IJL_RGBA_FPX;
        break;
    default:
        break;
    }

    if (!dib.Create(width, height, coreProps.DIBChannels)) {
        ijl.ijlFree(&coreProps);
        return false;
    }

    coreProps.DIBWidth = width;
    coreProps.DIBPadBytes = dib.BytesPerScanLine() - 3 * width;
    coreProps.DIBHeight = -height;
    coreProps.DIBChannels = 3;
    coreProps.DIBBytes = dib.DIBSectionBitsPtr();

    status = ijl.ijlRead(&coreProps, ReadModeFor(factor));
    if (status != IJL_OK) {
        ReportJpegError("FAILED TO READ IMAGE DATA - ", status);
        ijl.ijlFree(&coreProps);
        return false;
    }
    ijl.ijlFree(&coreProps);
    return true;
}

void ReportJpegError(const std::string& context, std::int32_t code) {
    const std::string libText = AnsiPtrToString(CurrentIjl().ijlErrorStr(code));
    const std::string prompt = "IJL ERROR: [" + std::to_string(code) + "]" + " - " + libText + " - " + context;
    MessageBox(prompt, MB_ICONEXCLAMATION, "Intel(R) JPEG Library");
}

// The platform's ANSI code page is UTF-8 here, and so are the program's own
// strings, so the bytes are taken as they are.
std::string AnsiPtrToString(const char* address) {
    if (address == nullptr) return std::string();
    return std::string(address, std::strlen(address));
}

}  // namespace pivra
