#include "PictureLoader.h"

#include "FileBytes.h"
#include "GifIndexedReader.h"
#include "ImageFormat.h"
#include "LargePictures.h"
#include "PictureCache.h"
#include "PictureDecoder.h"
#include "PlainPath.h"
#include "UncompressedFormats.h"

namespace pivra::imagelib {

namespace {

// The plain BMP and MIFF forms our templates take are read here; anything
// else by the general decoder.
Picture decodeHereOrWithMagick(const std::vector<std::uint8_t>& bytes, std::optional<ImageFormat> format,
                               const std::string& path) {
    std::optional<Picture> picture;
    if (format == ImageFormat::Bmp) picture = readUncompressedBmp(bytes);
    if (format == ImageFormat::Miff) picture = readPlainMiff(bytes);
    return picture ? std::move(*picture) : decodeFirstFrame(bytes, path);
}

}  // namespace

LoadedPicture loadPicture(const std::string& path, const std::optional<ResizeGeometry>& nextResize) {
    FileIdentity read;
    const std::vector<std::uint8_t> bytes = readInputFile(path, kMaxInputBytes, &read);
    const std::optional<ImageFormat> format = sniffFormat(bytes.data(), bytes.size());
    // Decoded for that one resize, perhaps reduced: not a picture to keep.
    if (nextResize && format && (decodesReduced(*format) || tooLargeToDecodeWhole(bytes, *format, path)))
        return {std::make_shared<const Picture>(decodeFirstFrame(bytes, path, nextResize)), {}};
    if (plainPath()) return {std::make_shared<const Picture>(decodeFirstFrame(bytes, path)), {}};
    // A file that changed size while it was read is not what its identity says.
    if (!read.known() || static_cast<unsigned long long>(read.size) != bytes.size())
        return {std::make_shared<const Picture>(decodeFirstFrame(bytes, path)), {}};
    read.contentHash = hashBytes(bytes.data(), bytes.size());
    if (const std::shared_ptr<const PackedPicture> hit = pictureCache().find(read)) return {hit->unpack(), read};

    // Our own GIFs go straight to the packed form; anything else is decoded
    // whole and packed after.
    std::shared_ptr<const PackedPicture> packed;
    std::shared_ptr<const Picture> picture;
    std::optional<PackedPicture> indexed;
    if (format == ImageFormat::Gif) indexed = readWholeScreenGif(bytes);
    if (indexed) {
        packed = std::make_shared<const PackedPicture>(std::move(*indexed));
        picture = packed->unpack();
    } else {
        picture = std::make_shared<const Picture>(decodeHereOrWithMagick(bytes, format, path));
        packed = std::make_shared<const PackedPicture>(picture);
    }
    const std::size_t size = packed->bytes();
    pictureCache().insert(read, std::move(packed), size);
    return {picture, read};
}

void rememberWrittenPicture(const FileIdentity& written, PackedPicture picture) {
    if (plainPath() || !written.known()) return;
    auto packed = std::make_shared<const PackedPicture>(std::move(picture));
    const std::size_t size = packed->bytes();
    pictureCache().insert(written, std::move(packed), size);
}

}  // namespace pivra::imagelib
