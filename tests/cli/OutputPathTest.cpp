// Copying the finished animation out: through links to their targets, never through
// a planted link, never over a device or FIFO, with an ordinary mode. A failed copy
// keeping the old file is tested with the save dialog.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "PivraMakeFixture.h"
#include "platform/FileSystem.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

class CopyOut : public ::testing::Test {
protected:
    void SetUp() override { Write(src, "the new animation"); }
    bool copyTo(const std::string& name) {
        if (!fso.CopyFile(src, to / name)) return false;
        EXPECT_EQ(FileContents(to / name), "the new animation") << name;
        return true;
    }
    TempFolder from{"copy-src"}, to{"copy-dst"};
    const std::string src = from / "pivra.gif";
    FileSystem fso;
};

TEST_F(CopyOut, PlantedLinksAtTheOldTemporaryNamesAreNotFollowedAndALongestLegalNameWorks) {
    const std::string victim = from / "victim.txt", planted = "out.gif.part" + std::to_string(::getpid());
    const std::string longest = std::string(246, 'n') + ".gif";  // 250 bytes
    Write(victim, "precious");
    fs::create_symlink(victim, to / planted);
    ASSERT_TRUE(copyTo("out.gif")) << fso.lastError();
    ASSERT_TRUE(copyTo(longest)) << fso.lastError();
    EXPECT_EQ(FileContents(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(to / planted));
    EXPECT_EQ(NamesIn(to.str()), (std::set<std::string>{"out.gif", planted, longest}));
}

TEST_F(CopyOut, LinksAreWrittenThroughAndStayLinks) {
    TempFolder elsewhere{"copy-target"};
    fs::create_symlink(elsewhere / "real.gif", to / "direct.gif");
    fs::create_symlink("direct.gif", to / "chained.gif");           // relative, two hops
    fs::create_symlink(elsewhere / "new.gif", to / "dangling.gif");  // its target is made
    for (const char* link : {"direct.gif", "chained.gif", "dangling.gif"}) {
        SCOPED_TRACE(link);
        Write(elsewhere / "real.gif", "old");
        ASSERT_TRUE(copyTo(link)) << fso.lastError();
        EXPECT_TRUE(fs::is_symlink(to / link));
    }
    EXPECT_EQ(FileContents(elsewhere / "new.gif"), "the new animation");
    EXPECT_EQ(NamesIn(to.str()), (std::set<std::string>{"direct.gif", "chained.gif", "dangling.gif"}));
}

TEST_F(CopyOut, SpecialFilesAndFoldersAreRefusedAndLeftAsTheyAre) {
    ASSERT_EQ(::mkfifo((to / "fifo").c_str(), 0644), 0);
    fs::create_directories(to / "folder.gif");
    std::vector<std::pair<std::string, std::string>> cases{{"fifo", "FIFO"}, {"folder.gif", "folder"}};
    // A null device (1, 3) of our own, never the system's; only as root.
    const bool device = ::mknod((to / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (device) {
        fs::create_symlink(to / "null", to / "null-link");
        cases.insert(cases.end(), {{"null", "device"}, {"null-link", "device"}});
    }
    for (const auto& [name, says] : cases) {
        EXPECT_FALSE(fso.CopyFile(src, to / name)) << name;
        EXPECT_NE(fso.lastError().find(says), std::string::npos) << fso.lastError();
    }
    EXPECT_TRUE(fs::is_fifo(to / "fifo") && fs::is_empty(to / "folder.gif"));
    EXPECT_TRUE(!device || (fs::is_character_file(to / "null") && fs::is_symlink(to / "null-link")));
    EXPECT_EQ(NamesIn(to.str()).size(), cases.size());
}

TEST_F(CopyOut, NewFilesGetTheUmasksModeReplacedOnesKeepTheirs) {
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    };
    const mode_t previous = ::umask(0);
    for (const auto& [umask, want] : {std::pair<mode_t, mode_t>{022, 0644}, {027, 0640}, {0, 0666}}) {
        ::umask(umask);
        EXPECT_TRUE(copyTo("new" + std::to_string(umask) + ".gif")) << fso.lastError();
        EXPECT_EQ(modeOf(to / ("new" + std::to_string(umask) + ".gif")), want) << std::oct << umask;
    }
    ::umask(022);
    Write(to / "kept.gif", "old");
    ::chmod((to / "kept.gif").c_str(), 0604);
    EXPECT_TRUE(copyTo("kept.gif"));
    EXPECT_EQ(modeOf(to / "kept.gif"), 0604u);
    ::umask(previous);
}

}  // namespace
}  // namespace pivra::test
