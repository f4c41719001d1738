#pragma once
// How this program's allocator treats the picture-sized buffers a build
// goes through (a 600 x 600 frame is 1.4 MB, and a scale-50 build makes
// hundreds). glibc's defaults hand such blocks back to the kernel as soon as
// they are freed, so each next one costs a few hundred fresh page faults. A
// setting of the program's own: the image libraries make none.
namespace pivra {

// Keeps freed blocks of up to 16 MB in the heap for reuse. Call first thing in main().
void KeepPictureBuffersForReuse();

}  // namespace pivra
