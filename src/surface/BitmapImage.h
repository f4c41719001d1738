#pragma once
// An upright Qt copy of a bitmap, for showing it in a widget or comparing it.
#include <QImage>

#include "surface/Bitmap.h"

namespace pivra {

// Format_RGB888 for any bitmap; a null image for nullptr.
QImage ToQImage(const Bitmap* bitmap);

}  // namespace pivra
