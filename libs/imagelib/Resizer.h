#pragma once
// Resizing as convert -geometry WxH! does it in ImageMagick 6 (Q16): the same
// default filter choice, the same two separable passes in the same order,
// the same sample positions and normalisation, 16-bit rounding between the
// passes. Done here rather than through MagickResizeImage because a picture
// handed to a wand loses its colour-table flag (which picks the filter), and
// because the wand round trip costs more than the filtering itself.
#include "FileIdentity.h"
#include "Picture.h"

namespace pivra::imagelib {

// The filter is convert's default: Mitchell for a colour-table picture, one
// with alpha, or an enlargement; Lanczos otherwise. Same size gives the
// picture back unchanged, as convert does. `source`, when known, names the
// file version `picture` is the exact decode of: the first pass is then
// remembered for the next resize of that file.
Picture resizePicture(const Picture& picture, int width, int height, const FileIdentity& source = {});

}  // namespace pivra::imagelib
