// Paths too long for the argument rows, against a recording stand-in library.
// The vectors of every planned command are checked against the golden list (builder tests).
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "FakeLibFixture.h"
#include "support/DeepFolder.h"
#include "support/FileContents.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// The private folder's six random letters, made comparable.
Args Plain(Args args) {
    static const std::regex links("\\.pivra-links-[A-Za-z0-9]{6}/");
    for (std::string& a : args) a = std::regex_replace(a, links, ".pivra-links-X/");
    return args;
}

std::string Here() { return fs::current_path().string(); }

using ImageCmd = FakeLibFixture;

// A command with a path of 100 bytes or more has its paths handed over from the
// working root, where the call runs; the library reads and writes what the full paths name.
TEST_F(ImageCmd, PathsThatDoNotFitAreHandedOverFromTheWorkingRoot) {
    const std::string root = DeepFolder(folder / "root", 150) + "/", deep = DeepFolder(folder / "deep", 990);
    commands.setWorkingRoot(root);
    fs::create_directories(root + "Work");
    const std::string picture = deep + "/head.jpg", under = root + "Work/o.gif";
    std::ofstream(picture) << "the user's picture";
    struct Case {
        const char* what;
        std::function<void()> run;
        Args handed;
        std::string written, read;
    };
    const Case cases[] = {
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
        reset();
        fs::remove(c.written);
        const std::string before = Here();
        c.run();
        ASSERT_EQ(calls(), 1);
        EXPECT_EQ(Plain(args(0)), c.handed);
        EXPECT_EQ(call(0).cwd + "/", c.handed.back()[0] == '/' ? before + "/" : root);
        EXPECT_EQ(call(0).input, c.read);
        EXPECT_EQ(FileContents(c.written), "out");
        EXPECT_EQ(Here(), before);
        EXPECT_EQ(fs::directory_iterator(root)->path().filename(), "Work") << "the links are gone";
        EXPECT_EQ(std::next(fs::directory_iterator(root)), fs::directory_iterator());
    }
    EXPECT_EQ(FileContents(picture), "the user's picture");

    // A library's message names the full paths again.
    reset(false);
    commands.RunConvert(picture, deep + "/out.gif", i_size, Resize);
    commands.RunConvert(picture, under, i_size, Resize);
    EXPECT_EQ(commands.firstMissingOutput().reason, "fake failure on \"" + deep + "/out.gif\"");
    EXPECT_EQ(commands.lastLibraryError(), "fake failure on \"" + under + "\"");
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
