#include "PictureWriter.h"

#include <memory>

#include "FileBytes.h"
#include "GifEncoder.h"
#include "PictureEncoder.h"
#include "PackedPicture.h"
#include "PictureLoader.h"
#include "PlainPath.h"

namespace pivra::imagelib {

void writePicture(const std::string& path, const Picture& picture, ImageFormat format,
                  const AnimationSettings& settings) {
    if (format != ImageFormat::Gif) {
        writeOutputFile(path, encodePicture(picture, format));
        return;
    }
    if (plainPath()) {
        writeOutputFile(path, encodeGif({picture}, settings));
        return;
    }
    IndexedPicture written;
    const std::vector<std::uint8_t> bytes = encodeGif({picture}, settings, &written);
    FileIdentity identity;
    writeOutputFile(path, bytes, &identity);
    identity.contentHash = hashBytes(bytes.data(), bytes.size());
    rememberWrittenPicture(identity, PackedPicture(written));
}

}  // namespace pivra::imagelib
