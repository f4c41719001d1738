// The Help windows' texts.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/AboutTexts.h"
#include "dialogs/Instructions.h"

namespace pivra {
namespace {

TEST(Instructions, TextKeepsItsLengthTyposAndBlanks) {
    const std::string text = kInstructions;
    EXPECT_EQ(text.size(), 713u);
    EXPECT_EQ(text.rfind("Not much to tell here.", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 40), "Add it to your email and much much more.");
    EXPECT_NE(text.find("Use the <IMG SRC=\"Your Pivra name\"> to embed it"), std::string::npos);
    EXPECT_NE(text.find("hais been rendered"), std::string::npos);
    EXPECT_EQ(text.find("   "), std::string::npos);
    // After a full stop: one blank after these four sentences, two after the seven others.
    for (const char* s : {"like it. ", "your pivra. ", "hand pane. ", "web folder. "}) {
        const size_t at = text.find(s);
        ASSERT_NE(at, std::string::npos) << s;
        EXPECT_NE(text[at + std::char_traits<char>::length(s)], ' ') << s;
    }
    int doubles = 0, all = 0;
    for (size_t at = text.find(". "); at != std::string::npos; at = text.find(". ", at + 1), ++all)
        doubles += text.compare(at + 1, 2, "  ") == 0;
    EXPECT_EQ(std::make_pair(doubles, all), std::make_pair(7, 11));
}

TEST(About, VersionAnimationAndDescriptionAreComposed) {
    const AboutTexts t = AboutFormLoad("/opt/pivra/share/pivra/");
    EXPECT_EQ(t.version, "Version 1.0.0");  // from the project's version
    EXPECT_EQ(t.animationFile, "/opt/pivra/share/pivra/Apivra.gif");
    // The sentence stands between the maker's line and the line with the home.
    const std::string sentence = "\nApplication to create a spinning gif file for your web page.\n";
    const size_t at = t.description.find(sentence);
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(t.description.substr(0, at).find("PIVRA"), std::string::npos);
    EXPECT_NE(t.description.substr(at + sentence.size()).find("README"), std::string::npos);
}

}  // namespace
}  // namespace pivra
