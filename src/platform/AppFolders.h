#pragma once
// Where the program reads what it was installed with and where it keeps its
// working files. Built and run in place (build/bin), everything lies in the
// executable's folder. Installed under a prefix (bin/, lib/<multiarch>/pivra/,
// share/pivra/), the installation files and libraries are found relative to
// bin/, and the working files go to the user's data folder, since a prefix is
// not the user's to write to.
#include <string>

namespace pivra {

struct AppFolders {
    std::string installFiles;  // templates and Apivra.gif, ending in "/"
    std::string libraries;     // libMorphex.so and libLayerik.so, ending in "/"
    std::string workRoot;      // "Work" and the build's folders lie here, ending in "/"
    bool installed = false;    // running from an installed prefix
};

// What the choice of the working root reads from the process's surroundings.
struct FolderEnvironment {
    std::string xdgDataHome;  // $XDG_DATA_HOME as set (may be empty or relative)
    std::string home;         // $HOME, else the password database's home folder
};
FolderEnvironment CurrentFolderEnvironment();

// exeFolder is the executable's folder, ending in "/". The layout decides
// first (installation files in ../share/pivra: installed); otherwise the
// executable's folder is the working root when its permission bits let the
// caller write, judged the same way for root as for anyone else.
AppFolders LocateAppFolders(const std::string& exeFolder, const FolderEnvironment& env);

// The same for the running executable.
AppFolders LocateAppFolders();

// The per-user working root: $XDG_DATA_HOME/pivra/ when that is an absolute
// path, else <home>/.local/share/pivra/.
std::string UserWorkRoot(const FolderEnvironment& env);

// Write permission as the folder's mode bits grant it to this process's
// user (owner, group or others) on a file system mounted for writing.
// Root gets the answer an ordinary owner would: root overrides the bits,
// but a folder nobody may write to is no place for root's files either.
bool FolderWritableByMode(const std::string& folder);

}  // namespace pivra
