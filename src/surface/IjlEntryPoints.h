#pragma once
// The JPEG library as the reader reaches it: its four entry points, taken
// from the shim unless something else (a test, say) has been put in their place.
#include "ijl.h"

namespace pivra {

struct IjlEntryPoints {
    ijl::IJLERR (*ijlInit)(ijl::JPEG_CORE_PROPERTIES*);
    ijl::IJLERR (*ijlRead)(ijl::JPEG_CORE_PROPERTIES*, ijl::IJLIOTYPE);
    ijl::IJLERR (*ijlFree)(ijl::JPEG_CORE_PROPERTIES*);
    const char* (*ijlErrorStr)(ijl::IJLERR);
};

// The shim over libjpeg-turbo.
const IjlEntryPoints& ShimEntryPoints();
// The entry points in use now.
const IjlEntryPoints& CurrentIjl();

// Puts other entry points in place for the lifetime of this object.
class ScopedIjlEntryPoints {
public:
    explicit ScopedIjlEntryPoints(const IjlEntryPoints& entryPoints);
    ~ScopedIjlEntryPoints();
    ScopedIjlEntryPoints(const ScopedIjlEntryPoints&) = delete;
    ScopedIjlEntryPoints& operator=(const ScopedIjlEntryPoints&) = delete;

private:
    const IjlEntryPoints* previous_;
};

}  // namespace pivra
