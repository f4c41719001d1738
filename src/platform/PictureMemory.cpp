#include "PictureMemory.h"

#include <malloc.h>

namespace pivra {

void KeepPictureBuffersForReuse() {
    // Blocks below this come from the heap rather than a mapping of their own;
    // a phone photo's full decode (tens of MB) still gets one and goes back whole.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    // Free memory at the top of the heap is given back only past this much.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace pivra
