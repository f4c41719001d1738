#include "ResizeMemo.h"

namespace pivra::imagelib {

ResizeMemo& resizeMemo() {
    static ResizeMemo memo(kResizeMemoBytes);
    return memo;
}

}  // namespace pivra::imagelib
