// Where the program reads its installation files and keeps its working files,
// decided from layouts built in temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PivraLayout.h"
#include "platform/AppFolders.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

TEST(AppFolders, LayoutDecidesThenWritability) {
    TempFolder t("folders");
    const std::string root = t.str() + "/";
    for (const char* file : {"build/bin/pre_mask.bmp", "prefix/share/pivra/pre_mask.bmp"}) {
        fs::create_directories(fs::path(root + file).parent_path());
        std::ofstream(root + file) << "x";
    }
    for (const char* dir : {"prefix/bin", "bare/share/pivra", "bare/bin", "locked/bin"})
        fs::create_directories(root + dir);
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(root + "locked/bin", write, fs::perm_options::remove);

    const FolderEnvironment xdg{"/data/xdg", "/home/ann"}, noXdg{"", "/home/ann"}, relXdg{"data/xdg", "/home/ann"};
    const std::string home = "/home/ann/.local/share/pivra/";
    struct Case { const char* name; std::string exe; FolderEnvironment env; bool installed; std::string files, libs, work; };
    const std::string build = root + "build/bin/", share = root + "prefix/share/pivra/";
    const std::string lib = root + "prefix/" PIVRA_INSTALL_LIBDIR "/";
    const Case cases[] = {
        {"build folder", build, xdg, false, build, build, build},
        {"no trailing slash", root + "build/bin", xdg, false, build, build, build},
        {"installed, XDG set", root + "prefix/bin/", xdg, true, share, lib, "/data/xdg/pivra/"},
        {"installed, no XDG", root + "prefix/bin/", noXdg, true, share, lib, home},
        {"installed, relative XDG ignored", root + "prefix/bin/", relXdg, true, share, lib, home},
        {"installed, dotted path", root + "prefix/bin/../bin/", xdg, true, share, lib, "/data/xdg/pivra/"},
        {"share/pivra without files", root + "bare/bin/", xdg, false, root + "bare/bin/", root + "bare/bin/",
         root + "bare/bin/"},
        // Judged by the mode bits, so root gets this answer too.
        {"read-only folder", root + "locked/bin/", noXdg, false, root + "locked/bin/", root + "locked/bin/", home},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AppFolders f = LocateAppFolders(c.exe, c.env);
        EXPECT_EQ(f.installed, c.installed);
        EXPECT_EQ(f.installFiles, c.files);
        EXPECT_EQ(f.libraries, c.libs);
        EXPECT_EQ(f.workRoot, c.work);
    }
    fs::permissions(root + "locked/bin", fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace pivra::test
