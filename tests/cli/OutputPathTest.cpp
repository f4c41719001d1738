// Writing the finished animation where the user said: through links to
// their targets, never through a planted link, never over a device or FIFO,
// with an ordinary mode, and whole or not at all.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "PivraMakeFixture.h"
#include "platform/FileSystem.h"
#include "support/GifInspect.h"
#include "support/ScratchMount.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A character device like /dev/null (1, 3) at path; false where nodes cannot be made.
bool MakeNullDevice(const std::string& path) { return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }

// Sets the process's umask for one scope.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }

private:
    mode_t previous_;
};

class CopyOut : public ::testing::Test {
protected:
    void SetUp() override { Write(src, "the new animation"); }
    TempFolder from{"copy-src"};
    TempFolder to{"copy-dst"};
    const std::string src = from / "pivra.gif";
    FileSystem fso;
};

TEST_F(CopyOut, PlantedLinksAtTheOldTemporaryNamesAreNotFollowed) {
    const std::string victim = from / "victim.txt";
    Write(victim, "precious");
    const std::string out = to / "out.gif";
    const std::string planted = out + ".part" + std::to_string(::getpid());
    fs::create_symlink(victim, planted);
    ASSERT_TRUE(fso.CopyFile(src, out)) << fso.lastError();
    EXPECT_EQ(Read(out), "the new animation");
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(NamesIn(to.str()), (std::set<std::string>{"out.gif", fs::path(planted).filename().string()}));
}

TEST_F(CopyOut, ALongestLegalNameWorks) {
    const std::string name = std::string(246, 'n') + ".gif";  // 250 bytes
    ASSERT_TRUE(fso.CopyFile(src, to / name)) << fso.lastError();
    EXPECT_EQ(Read(to / name), "the new animation");
    EXPECT_EQ(NamesIn(to.str()), std::set<std::string>{name});
}

TEST_F(CopyOut, LinksAreWrittenThroughAndStayLinks) {
    TempFolder elsewhere{"copy-target"};
    Write(elsewhere / "real.gif", "old");
    fs::create_symlink(elsewhere / "real.gif", to / "direct.gif");
    fs::create_symlink("direct.gif", to / "chained.gif");           // relative, two hops
    fs::create_symlink(elsewhere / "new.gif", to / "dangling.gif");  // its target is made
    for (const char* link : {"direct.gif", "chained.gif", "dangling.gif"}) {
        SCOPED_TRACE(link);
        Write(elsewhere / "real.gif", "old");
        ASSERT_TRUE(fso.CopyFile(src, to / link)) << fso.lastError();
        EXPECT_TRUE(fs::is_symlink(to / link));
        EXPECT_EQ(Read(to / link), "the new animation");
    }
    EXPECT_EQ(Read(elsewhere / "new.gif"), "the new animation");
    EXPECT_EQ(NamesIn(to.str()), (std::set<std::string>{"direct.gif", "chained.gif", "dangling.gif"}));
}

TEST_F(CopyOut, SpecialFilesAndFoldersAreRefusedAndLeftAsTheyAre) {
    ASSERT_EQ(::mkfifo((to / "fifo").c_str(), 0644), 0);
    fs::create_directories(to / "folder.gif");
    struct Case { std::string name; const char* says; };
    std::vector<Case> cases{{"fifo", "FIFO"}, {"folder.gif", "folder"}};
    // A null device of our own, never the system's: a fault here must not break the machine.
    const bool device = MakeNullDevice(to / "null");
    if (device) {
        fs::create_symlink(to / "null", to / "null-link");
        cases.push_back({"null", "device"});
        cases.push_back({"null-link", "device"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(fso.CopyFile(src, to / c.name));
        EXPECT_NE(fso.lastError().find(c.says), std::string::npos) << fso.lastError();
    }
    EXPECT_TRUE(fs::is_fifo(to / "fifo"));
    EXPECT_TRUE(fs::is_empty(to / "folder.gif"));
    if (device) {
        EXPECT_TRUE(fs::is_character_file(to / "null"));
        EXPECT_TRUE(fs::is_symlink(to / "null-link"));
    }
    EXPECT_EQ(NamesIn(to.str()).size(), cases.size());
}

TEST_F(CopyOut, NewFilesGetTheUmasksModeReplacedOnesKeepTheirs) {
    struct Case { mode_t umask; mode_t want; };
    for (const Case& c : {Case{022, 0644}, Case{027, 0640}, Case{0, 0666}}) {
        UmaskScope scope(c.umask);
        const std::string out = to / ("new" + std::to_string(c.umask) + ".gif");
        ASSERT_TRUE(fso.CopyFile(src, out)) << fso.lastError();
        EXPECT_EQ(ModeOf(out), c.want) << std::oct << c.umask;
    }
    UmaskScope scope(022);
    Write(to / "kept.gif", "old");
    ::chmod((to / "kept.gif").c_str(), 0604);
    ASSERT_TRUE(fso.CopyFile(src, to / "kept.gif"));
    EXPECT_EQ(ModeOf(to / "kept.gif"), 0604u);
    EXPECT_EQ(Read(to / "kept.gif"), "the new animation");
}

TEST_F(CopyOut, AFullDiskSaysSoAndKeepsTheOldFile) {
    ScratchMount small(to.str(), "size=64k");
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small file system here";
    Write(to / "out.gif", "the old animation");
    Write(src, std::string(200000, 'x'));
    EXPECT_FALSE(fso.CopyFile(src, to / "out.gif"));
    EXPECT_NE(fso.lastError().find("No space left on device"), std::string::npos) << fso.lastError();
    EXPECT_EQ(Read(to / "out.gif"), "the old animation");
    EXPECT_EQ(NamesIn(to.str()), std::set<std::string>{"out.gif"});
}

using OutputPath = PivraMakeTest;

TEST_F(OutputPath, PivraMakeWritesThroughALinkAndRefusesSpecialFiles) {
    TempFolder elsewhere{"make-target"};
    fs::create_symlink(elsewhere / "real.gif", dir / "link.gif");
    ProcessResult r = make({head, tail, dir / "link.gif", "--scale", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.gif"));
    EXPECT_EQ(ReadGifStructure(elsewhere / "real.gif").frames.size(), 50u);

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    r = make({head, tail, dir / "fifo", "--scale", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("FIFO"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    expectNothingElseIn({"link.gif", "fifo"});

    if (MakeNullDevice(dir / "null")) {  // as root; never the system's own /dev/null
        r = make({head, tail, dir / "null", "--scale", "1"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("device"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
        fs::remove(dir / "null");
    }
    EXPECT_TRUE(fs::is_empty(tmp.str()));
}

TEST_F(OutputPath, PivraMakeTakesALongestLegalName) {
    const std::string name = std::string(246, 'o') + ".gif";
    UmaskScope scope(022);  // the child's
    const ProcessResult r = make({head, tail, dir / name, "--scale", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadGifStructure(dir / name).frames.size(), 50u);
    EXPECT_EQ(ModeOf(dir / name) & 0044, 0044u) << "readable by others under the usual umask";
    expectNothingElseIn({name});
}

}  // namespace
}  // namespace pivra::test
