#include <gtest/gtest.h>

#include "MakeOptions.h"

namespace pivra {
namespace {

std::optional<MakeOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
    std::string e;
    auto o = ParseMakeOptions(args, e);
    if (error) *error = e;
    return o;
}

TEST(MakeOptions, FilesAndDefaults) {
    auto o = Parse({"h.jpg", "t.bmp", "out.gif"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->head, "h.jpg");
    EXPECT_EQ(o->tail, "t.bmp");
    EXPECT_EQ(o->output, "out.gif");
    EXPECT_EQ(o->scale, 16);
    EXPECT_TRUE(o->workdir.empty());
    EXPECT_FALSE(o->trace || o->quiet);
}

TEST(MakeOptions, OptionsAnywhere) {
    auto o = Parse({"--trace", "h.jpg", "--scale", "50", "t.jpg", "--workdir", "/w", "o.gif", "--quiet"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->scale, 50);
    EXPECT_EQ(o->workdir, "/w");
    EXPECT_TRUE(o->trace && o->quiet);
    // After "--" a name that starts with a dash is a file.
    o = Parse({"h.jpg", "--", "-t.jpg", "o.gif"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->tail, "-t.jpg");
}

TEST(MakeOptions, ScaleOutsideOneToFiftyIsRefused) {
    for (const char* bad : {"0", "51", "-3", "16x", "", "abc", "0016", "1e1"}) {
        std::string error;
        EXPECT_FALSE(Parse({"h", "t", "o.gif", "--scale", bad}, &error)) << bad;
        EXPECT_NE(error.find("1 to 50"), std::string::npos) << bad;
    }
    EXPECT_EQ(Parse({"h", "t", "o.gif", "--scale", "1"})->scale, 1);
    EXPECT_EQ(Parse({"h", "t", "o.gif", "--scale", "050"})->scale, 50);
}

TEST(MakeOptions, Mistakes) {
    std::string error;
    EXPECT_FALSE(Parse({"h", "t"}, &error));
    EXPECT_NE(error.find("HEAD TAIL OUTPUT.gif"), std::string::npos);
    EXPECT_FALSE(Parse({"h", "t", "o", "x"}, &error));
    EXPECT_FALSE(Parse({"h", "t", "o.gif", "--scale"}, &error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    EXPECT_FALSE(Parse({"h", "t", "o.gif", "--colour"}, &error));
    EXPECT_NE(error.find("--colour"), std::string::npos);
    EXPECT_TRUE(Parse({"--help"})->help);
    EXPECT_TRUE(Parse({"--version"})->version);
}

}  // namespace
}  // namespace pivra
