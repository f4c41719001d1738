#pragma once
// Names inside the working folder that guard the user's own files.

namespace pivra {

// Made inside "Images" and "Masks" right after the build creates them: a
// folder of those names without it is someone else's, never emptied.
inline constexpr const char* kMadeByPivra = ".pivra-made";

// Locked (FolderLock) in the working folder by whoever builds there, so that
// two builds never mix their frames.
inline constexpr const char* kWorkingFolderLock = ".pivra-lock";

}  // namespace pivra
