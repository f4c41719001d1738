#include "surface/IjlEntryPoints.h"

namespace pivra {
namespace {

const IjlEntryPoints shim{ijl::ijlInit, ijl::ijlRead, ijl::ijlFree, ijl::ijlErrorStr};
const IjlEntryPoints* current = &shim;

}  // namespace

const IjlEntryPoints& ShimEntryPoints() { return shim; }
const IjlEntryPoints& CurrentIjl() { return *current; }

ScopedIjlEntryPoints::ScopedIjlEntryPoints(const IjlEntryPoints& entryPoints) : previous_(current) {
    current = &entryPoints;
}
ScopedIjlEntryPoints::~ScopedIjlEntryPoints() { current = previous_; }

}  // namespace pivra
