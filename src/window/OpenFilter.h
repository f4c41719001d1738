#pragma once
// The picture chooser's filter and the entry it opens on (counted from 1).
// Entry 2 lists GIF files and the photo formats of phones and the web too,
// whatever its shown text says; letters match either case.
#include "dialogs/DialogFilter.h"

namespace pivra {

inline constexpr const char* kPictureFilter =
    "All Files (*.*)|*.*|Image Files (*.jpg;*.bmp;*.jpg)|"
    "*.jpg;*.bmp;*.gif;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.tif;*.tiff|Jpeg Files (*.jpg)|*.jpg|"
    "Bitmap Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif";
inline constexpr int kPictureFilterIndex = 2;

}  // namespace pivra
