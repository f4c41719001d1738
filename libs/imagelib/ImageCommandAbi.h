#pragma once
// The C entry points of the two image command libraries, libMorphex.so
// (convert vocabulary) and libLayerik.so (composite vocabulary).
// Each returns 0 on success; the LastError function then gives "" and after
// a failure a one-line reason, per calling thread.

#if defined(__GNUC__)
#define PIVRA_IMAGECMD_EXPORT __attribute__((visibility("default")))
#else
#define PIVRA_IMAGECMD_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// argv[0] is the library's own name, argv[1] the input, the last the output.
PIVRA_IMAGECMD_EXPORT int fnMorphex(int argc, char **argv);
PIVRA_IMAGECMD_EXPORT const char *fnMorphexLastError(void);

// argv[0] is the library's own name, then: src [options] base [mask] dst.
PIVRA_IMAGECMD_EXPORT int fnLayerik(int argc, char **argv);
PIVRA_IMAGECMD_EXPORT const char *fnLayerikLastError(void);

#ifdef __cplusplus
}
#endif
