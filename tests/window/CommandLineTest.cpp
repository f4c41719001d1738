// The open dialog's filter and the window program's command line.
#include <gtest/gtest.h>

#include "window/OpenFilter.h"
#include "window/PivraArgs.h"

namespace pivra {
namespace {

TEST(OpenFilter, PictureFilterEntries) {
    const std::vector<FilterEntry> e = ParseDialogFilter(kPictureFilter);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].text, "All Files (*.*)");
    EXPECT_EQ(e[0].patterns, std::vector<std::string>{"*.*"});
    // The shown text names JPEG twice; the entry still lists GIF files.
    EXPECT_EQ(e[1].text, "Image Files (*.jpg;*.bmp;*.jpg)");
    EXPECT_EQ(e[1].patterns, (std::vector<std::string>{"*.jpg", "*.bmp", "*.gif"}));
    EXPECT_EQ(e[2].text, "Jpeg Files (*.jpg)");
    EXPECT_EQ(e[3].text, "Bitmap Files (*.bmp)");
    EXPECT_EQ(e[4].text, "GIF Files (*.gif)");
    EXPECT_EQ(e[4].patterns, std::vector<std::string>{"*.gif"});
    EXPECT_EQ(kPictureFilterIndex, 2);
}

TEST(OpenFilter, OddFilters) {
    EXPECT_TRUE(ParseDialogFilter("").empty());
    EXPECT_TRUE(ParseDialogFilter("Only text").empty());
    const auto e = ParseDialogFilter("A|*.a;;*.b|B|");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].patterns, (std::vector<std::string>{"*.a", "*.b"}));
    EXPECT_TRUE(e[1].patterns.empty());
}

TEST(OpenFilter, MatchingIgnoresCase) {
    const std::vector<std::string> images{"*.jpg", "*.bmp", "*.gif"};
    const struct {
        const char* name;
        bool image, all;
    } cases[] = {
        {"photo.jpg", true, true},   {"PHOTO.JPG", true, true},   {"Coin.Gif", true, true},
        {"x.bmp", true, true},       {"x.jpeg", false, true},     {"x.jpg.txt", false, true},
        {"jpg", false, true},       {"README", false, true},     {".jpg", true, true},
        {"a.b.gif", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesFilter(c.name, images), c.image) << c.name;
        EXPECT_EQ(MatchesFilter(c.name, {"*.*"}), c.all) << c.name;
    }
    EXPECT_TRUE(MatchesFilter("a1c", {"a?c"}));
    EXPECT_FALSE(MatchesFilter("ac", {"a?c"}));
}

TEST(OpenFilter, DialogNameFilterSpellsOutEveryCase) {
    EXPECT_EQ(DialogNameFilter({"Jpeg Files (*.jpg)", {"*.jpg"}}), "Jpeg Files (*.jpg) (*.[jJ][pP][gG])");
    EXPECT_EQ(DialogNameFilter({"Two", {"*.a", "b?"}}), "Two (*.[aA] [bB]?)");
    // "*.*" means every file, with or without an extension.
    EXPECT_EQ(DialogNameFilter({"All Files (*.*)", {"*.*"}}), "All Files (*.*) (*)");
}

struct ArgsCase {
    std::vector<std::string> args;
    bool ok;
    std::string head, tail;
    int scale;
    bool help, version;
};

TEST(PivraArgs, AcceptsAndRefuses) {
    const ArgsCase cases[] = {
        {{}, true, "", "", 16, false, false},
        {{"h.jpg"}, true, "h.jpg", "", 16, false, false},
        {{"h.jpg", "t.bmp", "--scale", "8"}, true, "h.jpg", "t.bmp", 8, false, false},
        {{"--scale=50", "h.jpg"}, true, "h.jpg", "", 50, false, false},
        {{"--scale", "1"}, true, "", "", 1, false, false},
        {{"--help"}, true, "", "", 16, true, false},
        {{"--version"}, true, "", "", 16, false, true},
        {{"--", "-odd.jpg", "--scale"}, true, "-odd.jpg", "--scale", 16, false, false},
        {{"--scale", "0"}, false, "", "", 0, false, false},
        {{"--scale", "51"}, false, "", "", 0, false, false},
        {{"--scale", "8x"}, false, "", "", 0, false, false},
        {{"--scale", "-3"}, false, "", "", 0, false, false},
        {{"--scale"}, false, "", "", 0, false, false},
        {{"--scale="}, false, "", "", 0, false, false},
        {{"--bogus"}, false, "", "", 0, false, false},
        {{"a", "b", "c"}, false, "", "", 0, false, false},
        {{""}, false, "", "", 0, false, false},
    };
    for (const ArgsCase& c : cases) {
        std::string all;
        for (const std::string& a : c.args) all += "[" + a + "]";
        std::string error;
        const auto parsed = ParsePivraArgs(c.args, error);
        ASSERT_EQ(parsed.has_value(), c.ok) << all << " " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << all;
            EXPECT_EQ(error.find('\n'), std::string::npos) << all;
            continue;
        }
        EXPECT_EQ(parsed->head, c.head) << all;
        EXPECT_EQ(parsed->tail, c.tail) << all;
        EXPECT_EQ(parsed->scale, c.scale) << all;
        EXPECT_EQ(parsed->help, c.help) << all;
        EXPECT_EQ(parsed->version, c.version) << all;
    }
}

TEST(PivraArgs, DisplayFromAnyOfTheThree) {
    EXPECT_FALSE(HasDisplay(nullptr, nullptr, nullptr));
    EXPECT_FALSE(HasDisplay("", "", ""));
    EXPECT_TRUE(HasDisplay(":0", nullptr, nullptr));
    EXPECT_TRUE(HasDisplay(nullptr, "wayland-0", nullptr));
    EXPECT_TRUE(HasDisplay(nullptr, nullptr, "offscreen"));
}

}  // namespace
}  // namespace pivra
