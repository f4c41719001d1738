#pragma once
// The plain path: every file decoded, every frame decoded and re-encoded, no
// picture cache, no resize memo; GIF data coded by giflib and BMP and MIFF
// by ImageMagick. It exists so that tests and benchmarks can compare the
// quick path with it; users never need it.
namespace pivra::imagelib {

// True when the environment variable PIVRA_IMAGELIB_PLAIN is set to a
// non-empty value other than "0". Read once per library.
bool plainPath();

}  // namespace pivra::imagelib
