// The Debian package as a user gets it: made by cpack, unpacked with dpkg-deb
// into a folder of its own, run from there and checked with Debian's tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "PivraVersion.h"
#include "support/GifInspect.h"
#include "support/RunProcess.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// The options --help lists: "--scale N" from "  --scale N      size step ...".
std::set<std::string> HelpOptions(const std::string& help) {
    std::set<std::string> out;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("  -", 0) != 0) continue;
        const std::string item = line.substr(2, line.find("  ", 2) - 2);
        out.insert(item);
    }
    return out;
}

// A man page's text for a tag line such as .BI \-\-scale " N": the macro's
// arguments joined as the alternating fonts print them, escapes dropped.
std::string TagText(const std::string& line) {
    std::string text, rest = line;
    if (!rest.empty() && rest[0] == '.') {
        const std::size_t space = rest.find(' ');
        rest = space == std::string::npos ? "" : rest.substr(space + 1);
        bool quoted = false;
        for (const char c : rest) {
            if (c == '"') quoted = !quoted;
            else if (c != ' ' || quoted) text += c;
        }
    } else {
        text = rest;
    }
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The options a man page's OPTIONS section lists, one per .TP tag.
std::set<std::string> ManPageOptions(const std::string& page) {
    std::set<std::string> out;
    std::istringstream in(page);
    bool inOptions = false, tagNext = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0) inOptions = line == ".SH OPTIONS";
        if (!inOptions) continue;
        if (tagNext) {
            const std::string tag = TagText(line);
            if (tag.rfind('-', 0) == 0) out.insert(tag);
        }
        tagNext = line == ".TP";
    }
    return out;
}

std::string Joined(const std::set<std::string>& items) {
    std::string s;
    for (const std::string& i : items) s += "[" + i + "] ";
    return s;
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        stage_ = new TempFolder("package");
        const ProcessResult arch = RunProcess({"dpkg", "--print-architecture"});
        deb_ = *stage_ / ("out/pivra_" PIVRA_VERSION_STRING "_" + Trimmed(arch.out) + ".deb");
        const ProcessResult made =
            RunProcess({CPACK_COMMAND, "-G", "DEB", "--config", PIVRA_BUILD_DIR "/CPackConfig.cmake", "-B",
                        *stage_ / "out"});
        if (made.exitCode != 0 || !fs::is_regular_file(deb_)) {
            error_ = "cpack: " + made.out + made.err;
            return;
        }
        const ProcessResult unpacked = RunProcess({"dpkg-deb", "-x", deb_, *stage_ / "root"});
        if (unpacked.exitCode != 0) error_ = "dpkg-deb -x: " + unpacked.err;
    }
    static void TearDownTestSuite() { delete stage_; }
    void SetUp() override { ASSERT_EQ(error_, ""); }

    static std::string usr(const std::string& rel) { return *stage_ / ("root/usr/" + rel); }
    static bool windowBuilt() { return fs::exists(PIVRA_BIN_DIR "/pivra"); }

    static TempFolder* stage_;
    static std::string deb_, error_;
};
TempFolder* Package::stage_ = nullptr;
std::string Package::deb_, Package::error_;

TEST_F(Package, UnpackedPivraMakeBuildsTheAnimation) {
    TempFolder user("package-user");
    const std::vector<std::string> env = {"TMPDIR=" + user.str(), "HOME=" + (user / "home"),
                                          "XDG_DATA_HOME=" + (user / "data")};
    ASSERT_TRUE(WriteSolidPicture(user / "head.png", 40, 30, QColor(220, 30, 30)));
    ASSERT_TRUE(WriteSolidPicture(user / "tail.jpg", 30, 40, QColor(30, 30, 220)));
    const ProcessResult r = RunProcess(
        {usr("bin/pivra-make"), user / "head.png", user / "tail.jpg", user / "spin.gif", "--scale", "2"}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const GifInfo gif = ReadGifStructure(user / "spin.gif");
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(std::make_tuple(gif.screenWidth, gif.screenHeight, gif.frames.size(), gif.loopCount),
              std::make_tuple(24, 24, size_t{50}, 0));
}

// The sanitizer build's package (libasan among its dependencies) passes too.
TEST_F(Package, LintianFindsNothingToMend) {
    const ProcessResult r = RunProcess({"lintian", "--fail-on", "error,warning", deb_});
    EXPECT_EQ(r.exitCode, 0) << "lintian (package lintian):\n" << r.out << r.err;
    EXPECT_FALSE(std::regex_search(r.out, std::regex("^[EW]: ", std::regex::multiline))) << r.out;
}

TEST_F(Package, MenuEntryAndSoftwareCentreListingValidate) {
    if (!windowBuilt()) GTEST_SKIP() << "no window, no menu entry (PIVRA_GUI=OFF)";
    const ProcessResult desktop = RunProcess({"desktop-file-validate", usr("share/applications/" PIVRA_APP_ID ".desktop")});
    EXPECT_EQ(desktop.exitCode, 0) << desktop.out << desktop.err;
    EXPECT_EQ(desktop.out + desktop.err, "");
    const ProcessResult listing = RunProcess(
        {"appstreamcli", "validate", "--no-net", "--pedantic", usr("share/metainfo/" PIVRA_APP_ID ".metainfo.xml")});
    EXPECT_EQ(listing.exitCode, 0) << listing.out << listing.err;
    // The tree: the listing names a desktop entry that is there.
    const ProcessResult tree = RunProcess({"appstreamcli", "validate-tree", "--no-net", "--pedantic", *stage_ / "root"});
    EXPECT_EQ(tree.exitCode, 0) << tree.out << tree.err;
}

// Each program's --help and its man page list the same options.
TEST_F(Package, ManPagesListTheOptionsOfHelp) {
    for (const auto& e : fs::directory_iterator(usr("bin"))) {
        const std::string program = e.path().filename().string();
        SCOPED_TRACE(program);
        const std::set<std::string> help = HelpOptions(RunProcess({e.path().string(), "--help"}).out);
        const ProcessResult page = RunProcess({"gzip", "-dc", usr("share/man/man1/" + program + ".1.gz")});
        ASSERT_EQ(page.exitCode, 0) << "no man page";
        EXPECT_GE(help.size(), 3u) << Joined(help);
        EXPECT_EQ(Joined(ManPageOptions(page.out)), Joined(help));
    }
}

}  // namespace
}  // namespace pivra::test
