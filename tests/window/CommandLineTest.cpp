// The open dialog's filter and the window program's command line.
#include <gtest/gtest.h>

#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "window/LaunchCheck.h"
#include "window/OpenFilter.h"
#include "window/PivraArgs.h"

#include <fstream>
#include <tuple>

namespace pivra {
namespace {

using Patterns = std::vector<std::string>;

// The picture filter's entry 2 names JPEG twice in its text, yet lists GIF files and the photo formats;
// matching ignores case.
TEST(OpenFilter, ImageEntryListsGifsAndPhotosAndMatchingIgnoresCase) {
    const std::vector<FilterEntry> e = ParseDialogFilter(kPictureFilter);
    ASSERT_EQ(e.size(), 5u);
    for (const char* yes : {"PHOTO.JPG", "Coin.Gif", "x.bmp", "a.b.gif", "x.jpeg", "IMG_0001.HEIC", "p.Heif", "w.webp",
                            "a.AVIF", "scan.tif", "scan.TIFF", "s.png"})
        EXPECT_TRUE(MatchesFilter(yes, e[1].patterns)) << yes;
    for (const char* no : {"x.jpg.txt", "jpg", "x.tga", "x.mif"}) EXPECT_FALSE(MatchesFilter(no, e[1].patterns)) << no;
    EXPECT_EQ(e[2].patterns, (Patterns{"*.jpg"}));
    EXPECT_TRUE(MatchesFilter("README", {"*.*"}));
    EXPECT_EQ(DialogNameFilter({"Two", {"*.a", "b?"}}), "Two (*.[aA] [bB]?)");
    EXPECT_EQ(DialogNameFilter({"All Files (*.*)", {"*.*"}}), "All Files (*.*) (*)");
}

TEST(PivraArgs, AcceptsAndRefuses) {
    struct Ok { std::vector<std::string> args; std::string head, tail; int scale; bool help, version; };
    const Ok ok[] = {
        {{}, "", "", 16, false, false},
        {{"h.jpg", "t.bmp", "--scale", "8"}, "h.jpg", "t.bmp", 8, false, false},
        {{"--scale=50", "h.jpg"}, "h.jpg", "", 50, false, false},
        {{"--help"}, "", "", 16, true, false},
        {{"--version"}, "", "", 16, false, true},
        {{"--", "-odd.jpg", "--scale"}, "-odd.jpg", "--scale", 16, false, false},
    };
    std::string error;
    for (const Ok& c : ok) {
        const auto p = ParsePivraArgs(c.args, error);
        ASSERT_TRUE(p) << error;
        EXPECT_EQ(std::tie(p->head, p->tail, p->scale, p->help, p->version),
                  std::tie(c.head, c.tail, c.scale, c.help, c.version));
    }
    const std::vector<std::string> bad[] = {{"--scale", "0"}, {"--scale", "51"}, {"--scale", "8x"}, {"--scale"},
                                            {"--scale="},     {"--bogus"},       {"a", "b", "c"},    {""}};
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(ParsePivraArgs(args, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(error.find('\n'), std::string::npos) << args[0];
    }
}

// A command line the window cannot start with is told with its reason: in a
// message box where one can be seen (a desktop launch has no terminal), and on
// standard error always.
TEST(Launch, AProblemIsToldInAMessageBoxOnlyWhereOneCanBeSeen) {
    test::TempFolder dir{"launch"};
    const std::string head = dir / "head.jpg", missing = dir / "missing.jpg";
    std::ofstream(head) << "x";
    struct Case { std::vector<std::string> argv; const char* reason; };
    const Case cases[] = {
        {{head, head, head}, "at most two pictures (head and tail), not 3"},
        {{head, missing}, "no such picture file '"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{head, head, "--scale", "8"}, ""},
    };
    for (const Case& c : cases) {
        const Launch launch = CheckLaunch(c.argv);
        EXPECT_EQ(launch.problem.substr(0, std::string(c.reason).size()), c.reason) << launch.problem;
        EXPECT_EQ(launch.problem.empty(), *c.reason == '\0') << launch.problem;
    }

    struct Place { const char *display, *wayland, *platform; bool box; };
    const Place places[] = {
        {":0", nullptr, nullptr, true},        {nullptr, "wayland-0", nullptr, true}, {nullptr, nullptr, "xcb", true},
        {":0", nullptr, "offscreen", false},   {nullptr, nullptr, "minimal", false},  {"", "", "", false},
        {nullptr, nullptr, nullptr, false},    {":0", nullptr, "offscreen:size=9", false},
    };
    const auto shown = [](const char* v) { return v ? v : "-"; };
    for (const Place& p : places)
        EXPECT_EQ(CanShowMessageBox(p.display, p.wayland, p.platform), p.box)
            << shown(p.display) << " " << shown(p.wayland) << " " << shown(p.platform);

    const std::string problem = CheckLaunch({head, head, head}).problem;
    for (const bool box : {false, true}) {
        test::RecordingNotifier notifier;
        int opened = 0;
        TellLaunchProblem(problem, box, [&] { ++opened; });
        EXPECT_EQ(opened, box ? 1 : 0);
        ASSERT_EQ(notifier.shown.size(), box ? 1u : 0u);
        for (const test::ShownMessage& m : notifier.shown)
            EXPECT_EQ(m.prompt, "pivra: " + problem + "\n" + kPivraUsage);
    }
}

}  // namespace
}  // namespace pivra
