#pragma once
// The first of a resize's two passes, remembered. The strips resize the same
// file to many widths at one height: the pass along the height is the same
// for all of them, and only the second pass differs.
#include <cstddef>
#include <memory>

#include "BoundedCache.h"
#include "FileIdentity.h"
#include "ResizePlane.h"

namespace pivra::imagelib {

struct FirstPassKey {
    FileIdentity source;    // the file whose exact decode was resized
    bool widthFirst = false;
    int length = 0;         // the size the first pass gives along its axis
    int kernel = 0;
    bool matte = false;

    bool operator==(const FirstPassKey& o) const {
        return source == o.source && widthFirst == o.widthFirst && length == o.length && kernel == o.kernel &&
               matte == o.matte;
    }
};

using ResizeMemo = BoundedCache<FirstPassKey, Plane>;

// The mask and the two faces of a scale-50 build, one pass each.
constexpr std::size_t kResizeMemoBytes = 9u << 20;

ResizeMemo& resizeMemo();

}  // namespace pivra::imagelib
