#pragma once
// Input pictures of the commands, through this library's picture cache:
// a file version decoded once is served again without reading it.
#include <memory>
#include <optional>
#include <string>

#include "FileIdentity.h"
#include "OptionValues.h"
#include "PackedPicture.h"
#include "Picture.h"

namespace pivra::imagelib {

struct LoadedPicture {
    std::shared_ptr<const Picture> picture;
    // The file version the pixels are exactly the decode of; empty on the
    // plain path, or when the version could not be told.
    FileIdentity source;
};

// The first frame of the file at path. CommandError as decodeFirstFrame.
// `nextResize`, the resize that follows, lets a large JPEG, HEIF or AVIF be
// decoded at a reduced scale (not cached: no other command asks for that
// picture at that size).
LoadedPicture loadPicture(const std::string& path, const std::optional<ResizeGeometry>& nextResize = std::nullopt);

// After our own write: the picture a later read of `written` will decode
// to, so that read needs no decode.
void rememberWrittenPicture(const FileIdentity& written, PackedPicture picture);

}  // namespace pivra::imagelib
