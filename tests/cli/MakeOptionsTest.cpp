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

TEST(MakeOptions, DefaultsAndOptionsAnywhere) {
    auto o = Parse({"h.jpg", "t.bmp", "out.gif"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->scale, 16);
    EXPECT_TRUE(o->workdir.empty());
    EXPECT_FALSE(o->trace || o->quiet);
    o = Parse({"--trace", "h.jpg", "--scale", "50", "t.jpg", "--workdir", "/w", "o.gif", "--quiet"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->head + o->tail + o->output, "h.jpgt.jpgo.gif");
    EXPECT_EQ(o->scale, 50);
    EXPECT_EQ(o->workdir, "/w");
    EXPECT_TRUE(o->trace && o->quiet);
    o = Parse({"h.jpg", "--", "-t.jpg", "o.gif"});  // after "--" a dash starts a file name
    ASSERT_TRUE(o);
    EXPECT_EQ(o->tail, "-t.jpg");
}

TEST(MakeOptions, MistakesAreNamed) {
    for (const char* bad : {"0", "51", "-3", "16x", "", "abc", "1e1"}) {
        std::string error;
        EXPECT_FALSE(Parse({"h", "t", "o.gif", "--scale", bad}, &error)) << bad;
        EXPECT_NE(error.find("1 to 50"), std::string::npos) << bad;
    }
    EXPECT_EQ(Parse({"h", "t", "o.gif", "--scale", "1"})->scale, 1);
    struct Case { std::vector<std::string> args; const char* named; };
    for (const Case& c : {Case{{"h", "t"}, "HEAD TAIL OUTPUT.gif"}, Case{{"h", "t", "o", "x"}, "HEAD TAIL OUTPUT.gif"},
                          Case{{"h", "t", "o.gif", "--scale"}, "needs a value"},
                          Case{{"h", "t", "o.gif", "--colour"}, "--colour"}}) {
        std::string error;
        EXPECT_FALSE(Parse(c.args, &error));
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
    EXPECT_TRUE(Parse({"--help"})->help);
    EXPECT_TRUE(Parse({"--version"})->version);
}

}  // namespace
}  // namespace pivra
