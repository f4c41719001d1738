// Where the program reads its installation files and keeps its working files,
// decided from layouts built in temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/AppFolders.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "x";
}

TEST(AppFolders, LayoutDecidesThenWritability) {
    TempFolder t("folders");
    const std::string root = t.str() + "/";
    Touch(root + "build/bin/pre_mask.bmp");                // run where it was built
    Touch(root + "prefix/share/pivra/pre_mask.bmp");       // installed
    fs::create_directories(root + "prefix/bin");
    fs::create_directories(root + "bare/share/pivra");     // share/pivra without the files
    fs::create_directories(root + "bare/bin");
    fs::create_directories(root + "locked/bin");
    fs::permissions(root + "locked/bin", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    const FolderEnvironment xdg{"/data/xdg", "/home/ann"};
    const FolderEnvironment noXdg{"", "/home/ann"};
    const FolderEnvironment relativeXdg{"data/xdg", "/home/ann"};
    struct Case {
        const char* name;
        std::string exeFolder;
        FolderEnvironment env;
        bool installed;
        std::string installFiles, libraries, workRoot;
    };
    const Case cases[] = {
        {"build folder", root + "build/bin/", xdg, false, root + "build/bin/", root + "build/bin/", root + "build/bin/"},
        {"no trailing slash", root + "build/bin", xdg, false, root + "build/bin/", root + "build/bin/",
         root + "build/bin/"},
        {"installed, XDG set", root + "prefix/bin/", xdg, true, root + "prefix/share/pivra/",
         root + "prefix/lib/pivra/", "/data/xdg/pivra/"},
        {"installed, no XDG", root + "prefix/bin/", noXdg, true, root + "prefix/share/pivra/",
         root + "prefix/lib/pivra/", "/home/ann/.local/share/pivra/"},
        {"installed, relative XDG ignored", root + "prefix/bin/", relativeXdg, true, root + "prefix/share/pivra/",
         root + "prefix/lib/pivra/", "/home/ann/.local/share/pivra/"},
        {"installed, dotted path", root + "prefix/bin/../bin/", xdg, true, root + "prefix/share/pivra/",
         root + "prefix/lib/pivra/", "/data/xdg/pivra/"},
        {"share/pivra without files", root + "bare/bin/", xdg, false, root + "bare/bin/", root + "bare/bin/",
         root + "bare/bin/"},
        // Judged by the mode bits, so root gets this answer too.
        {"read-only folder", root + "locked/bin/", noXdg, false, root + "locked/bin/", root + "locked/bin/",
         "/home/ann/.local/share/pivra/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AppFolders f = LocateAppFolders(c.exeFolder, c.env);
        EXPECT_EQ(f.installed, c.installed);
        EXPECT_EQ(f.installFiles, c.installFiles);
        EXPECT_EQ(f.libraries, c.libraries);
        EXPECT_EQ(f.workRoot, c.workRoot);
    }
    fs::permissions(root + "locked/bin", fs::perms::owner_write, fs::perm_options::add);
}

TEST(AppFolders, WritableByModeBits) {
    TempFolder t("writable");
    std::ofstream(t / "file") << "x";
    fs::create_directories(t / "open");
    fs::create_directories(t / "shut");
    fs::permissions(t / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    struct Case { std::string path; bool writable; };
    const Case cases[] = {
        {t / "open", true}, {t / "shut", false}, {t / "file", false}, {t / "missing", false}, {"/proc", false},
    };
    for (const Case& c : cases) EXPECT_EQ(FolderWritableByMode(c.path), c.writable) << c.path;
    fs::permissions(t / "shut", fs::perms::owner_all);
}

TEST(AppFolders, MakeWorkRootMakesParentsOrNamesTheFolder) {
    TempFolder t("workroot");
    AppFolders f;
    f.workRoot = t / "a/b/pivra/";
    std::string error;
    EXPECT_TRUE(MakeWorkRoot(f, error)) << error;
    EXPECT_TRUE(fs::is_directory(f.workRoot));
    EXPECT_TRUE(MakeWorkRoot(f, error)) << "an existing root is fine";

    std::ofstream(t / "plain") << "x";
    f.workRoot = t / "plain/pivra/";
    EXPECT_FALSE(MakeWorkRoot(f, error));
    EXPECT_NE(error.find(f.workRoot), std::string::npos) << error;
}

}  // namespace
}  // namespace pivra::test
