#pragma once
// How much of each pixel the round coin covers, squeezed to a width: the
// ellipse that fills a width x height box, as the mask template's disc does
// its square.
#include "Picture.h"

namespace pivra {

// Grey, opaque: 255 where the pixel lies wholly inside, 0 wholly outside.
imagelib::Picture CoinCoverage(int width, int height);

}  // namespace pivra
