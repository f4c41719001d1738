// The bridge against a recording stand-in library: the one identical retry of a
// missing output, old outputs, paths too long for a row, and refused commands.
// The vectors of every planned command are checked against the golden list (builder tests).
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "FakeLibFixture.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

using ImageCmd = FakeLibFixture;

// A missing output is retried once with the very same block; an old output is
// removed first, so that it never passes for a new one.
TEST_F(ImageCmd, AMissingOutputIsRetriedOnceAndAnOldOneNeverPassesForNew) {
    std::ostringstream trace;
    commands.setTrace(&trace);
    std::ofstream(path("old.gif")) << "old";
    writeOnCall(0);
    EXPECT_EQ(commands.RunConvert("/a b.jpg", path("old.gif"), 37, Resize), CommandStatus::Ran);
    ASSERT_EQ(calls(), 2);
    EXPECT_EQ(call(0).args, call(1).args);
    EXPECT_EQ(call(0).argv, call(1).argv);
    EXPECT_FALSE(fs::exists(path("old.gif")));
    const std::string line = "Morphex.dll\t/a b.jpg\t-geometry\t37X192!\t" + path("old.gif") + "\n";
    EXPECT_EQ(trace.str(), line + line);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst + ": " + commands.firstMissingOutput().reason,
              path("old.gif") + ": fake failure on \"" + path("old.gif") + "\"");
    commands.setTrace(nullptr);

    writeOnCall(2);  // written by the retry
    EXPECT_EQ(commands.RunComposite("/s.gif", path("o.gif"), "/b.gif", MaskWithBase), CommandStatus::Ran);
    EXPECT_EQ(calls(), 2);
    EXPECT_TRUE(fs::exists(path("o.gif")));
    EXPECT_EQ(commands.lastLibraryError(), "");  // the successful retry wiped the first failure

    writeOnCall(1);  // written anew on the first call: no retry
    std::ofstream(path("old.gif")) << "old";
    commands.RunConvert("/a.jpg", path("old.gif"), 0, TransparentWhite);
    EXPECT_EQ(calls(), 1);
    EXPECT_EQ(FileContents(path("old.gif")), "out");

    writeOnCall(1);  // a dangling link is removed, never written through
    fs::create_symlink(path("elsewhere.gif"), path("link.gif"));
    commands.RunConvert("/a.jpg", path("link.gif"), 0, TransparentWhite);
    EXPECT_FALSE(fs::is_symlink(path("link.gif")) || fs::exists(path("elsewhere.gif")));

    writeOnCall(1);  // an output that cannot be removed fails the command without a run
    fs::create_directories(path("taken.gif/inside"));
    commands.resetMissingOutputs();
    EXPECT_EQ(commands.RunConvert("/a.jpg", path("taken.gif"), 0, TransparentWhite), CommandStatus::StaleOutput);
    EXPECT_EQ(calls(), 0);
    EXPECT_EQ(commands.missingOutputs(), 1);
    EXPECT_EQ(commands.firstMissingOutput().dst, path("taken.gif"));
    EXPECT_NE(commands.firstMissingOutput().reason.find("it is a folder"), std::string::npos);
    EXPECT_TRUE(fs::exists(path("taken.gif/inside")));
    EXPECT_TRUE(notifier.shown.empty());
}

// The private folder's six random letters, made comparable.
Args Plain(Args args) {
    static const std::regex links("\\.pivra-links-[A-Za-z0-9]{6}/");
    for (std::string& a : args) a = std::regex_replace(a, links, ".pivra-links-X/");
    return args;
}

std::string Here() { return fs::current_path().string(); }

// Only a command with a path of 100 bytes or more changes: its paths are then
// handed over from the working root, where the call runs, and what the
// library reads and writes is what the full paths name.
TEST_F(ImageCmd, PathsThatDoNotFitAreHandedOverFromTheWorkingRoot) {
    const std::string root = DeepFolder(path("root"), 150) + "/", deep = DeepFolder(path("deep"), 990);
    commands.setWorkingRoot(root);
    fs::create_directories(root + "Work");
    const std::string picture = deep + "/head.jpg", under = root + "Work/o.gif";
    std::ofstream(picture) << "the user's picture";
    const std::string fits = "/" + std::string(98, 'f');
    struct Case {
        const char* what;
        std::function<void()> run;
        Args handed;
        std::string written, read;
    };
    const Case cases[] = {
        {"99 bytes fit as they are", [&] { commands.RunConvert(fits, path("o.gif"), 0, TransparentWhite); },
         {"Morphex.dll", fits, "-transparent", "white", path("o.gif")}, path("o.gif"), ""},
        {"outside the root: a link keeping the extension; under it: relative",
         [&] { commands.RunConvert(picture, under, i_size, Resize); },
         {"Morphex.dll", ".pivra-links-X/1.jpg", "-geometry", "192X192!", "Work/o.gif"}, under, "the user's picture"},
        {"a path named twice is linked once, a short relative one made absolute",
         [&] { commands.RunComposite("o.gif", under, picture, MaskWithBase); },
         {"Layerik.dll", Here() + "/o.gif", ".pivra-links-X/1.jpg", ".pivra-links-X/1.jpg", "Work/o.gif"}, under, ""},
        {"an output or a wildcard outside the root: a link to its folder",
         [&] { commands.RunConvert(deep + "/*.gif", deep + "/spin.gif", 6, Animate); },
         {"Morphex.dll", ".pivra-links-X/1/*.gif", "-compress", "LZW", "-delay", "6", "-dispose", "background",
          "-loop", "0", ".pivra-links-X/2/spin.gif"}, deep + "/spin.gif", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeOnCall(1);
        fs::remove(c.written);
        const std::string before = Here();
        c.run();
        ASSERT_EQ(calls(), 1);
        EXPECT_EQ(Plain(args(0)), c.handed);
        EXPECT_EQ(call(0).cwd + "/", c.handed.back()[0] == '/' ? before + "/" : root);
        EXPECT_EQ(call(0).input, c.read);
        EXPECT_EQ(FileContents(c.written), "out");
        EXPECT_EQ(Here(), before);
        EXPECT_EQ(NamesIn(root), (std::set<std::string>{"Work"}));
    }
    EXPECT_EQ(FileContents(picture), "the user's picture");

    // A library's message names the full paths again.
    writeOnCall(0);
    commands.RunConvert(picture, deep + "/out.gif", i_size, Resize);
    commands.RunConvert(picture, under, i_size, Resize);
    EXPECT_EQ(commands.firstMissingOutput().reason, "fake failure on \"" + deep + "/out.gif\"");
    EXPECT_EQ(commands.lastLibraryError(), "fake failure on \"" + under + "\"");
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(ImageCmd, APathThatCannotBeShortenedIsRefusedWithItsReason) {
    const std::string deep = DeepFolder(path("deep"), 300), picture = deep + "/head.jpg";
    const std::string longName = deep + "/" + std::string(80, 'n') + ".gif";
    struct Case { std::string root, src, dst, reason; };
    const Case cases[] = {
        {"", picture, path("o.gif"), "no working folder"},
        {path("gone"), picture, path("o.gif"), "No such file or directory"},
        {folder.str(), path("a.jpg"), longName, "its own name is too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        commands.setWorkingRoot(c.root);
        commands.resetMissingOutputs();
        EXPECT_EQ(commands.RunConvert(c.src, c.dst, i_size, Resize), CommandStatus::Refused);
        const std::string named = c.src.size() > 99 ? c.src : c.dst;
        const std::string& reason = commands.firstMissingOutput().reason;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_EQ(reason.substr(reason.size() - named.size()), named);
    }
    EXPECT_TRUE(notifier.shown.empty()) << "the bridge shows nothing itself";
    EXPECT_EQ(calls(), 0);
    EXPECT_EQ(NamesIn(folder.str()), (std::set<std::string>{"deep"}));
}

TEST(MissingLibrary, CountsAsFailedAndIsNamedInTheReason) {
    struct Case { ImageLibraryFiles files; const char* named; };
    // libc is a real library without our entry points.
    for (const Case& c : {Case{{"/nonexistent", "libNoSuchMorphex.so", "libNoSuchLayerik.so"}, "libNoSuchMorphex.so"},
                          Case{{"", "libc.so.6", "libc.so.6"}, "fnMorphex"}}) {
        RecordingNotifier notifier;
        FileSystem fso;
        int16_t i_size = 192;
        ImageCommands commands(i_size, fso, c.files);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(commands.RunConvert("/a.jpg", "/tmp/pivra-never.gif", i_size, Resize), CommandStatus::LibraryUnavailable);
        EXPECT_EQ(commands.missingOutputs(), 2);
        EXPECT_NE(commands.firstMissingOutput().reason.find(c.named), std::string::npos) << commands.firstMissingOutput().reason;
        EXPECT_TRUE(notifier.shown.empty());
    }
}

}  // namespace
}  // namespace pivra::test
