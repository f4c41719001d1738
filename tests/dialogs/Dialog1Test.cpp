// The scale dialog's form through a recording view: the showings, the change
// chain between scroll bar and text box, and OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/Dialog1.h"
#include "support/RecordingNotifier.h"

namespace pivra {
namespace {

using Log = std::vector<std::string>;

// Records what the dialog shows and asks of the main window, in order.
class Recorder : public ScaleOwner, public Dialog1View {
public:
    int16_t CurrentSize() const override { return i_size; }
    void ScalePivra(int16_t scale) override {
        log.push_back("ScalePivra " + std::to_string(scale));
        i_size = static_cast<int16_t>(12 * scale);
    }
    void ShowScrollValue(int16_t v) override { log.push_back("scroll " + std::to_string(v)); }
    void ShowText(const std::string& t) override { log.push_back("text '" + t + "'"); }
    void SetVisible(bool v) override { log.push_back(v ? "show" : "hide"); }
    int16_t i_size = 192;
    Log log;
};

struct ScaleDialogForm : ::testing::Test {
    Recorder r;
    Dialog1 d{r, r};
};

TEST_F(ScaleDialogForm, ChangeChainsEnd) {
    d.Show();
    // The load: the scroll bar's change writes " 16", whose own change ends; then "16".
    EXPECT_EQ(r.log, (Log{"scroll 16", "text ' 16'", "text '16'", "show"}));
    EXPECT_EQ(d.text(), "16");
    struct Case { const char* typed; int16_t scroll; std::string text; Log log; };
    const Case cases[] = {
        {"13.5", 14, " 14", {"scroll 14", "text ' 14'"}},
        {" 14", 14, " 14", {}},  // the text the dialog wrote: nothing more happens
        {"14.", 14, "14.", {}},  // same value, no change
        {"51", 14, "51", {}},    // no scale: the scroll bar keeps its value
        {"5 0", 50, " 50", {"scroll 50", "text ' 50'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        r.log.clear();
        d.TextEdited(c.typed);
        EXPECT_EQ(d.scrollValue(), c.scroll);
        EXPECT_EQ(d.text(), c.text);
        EXPECT_EQ(r.log, c.log);
    }
    r.log.clear();
    d.ScrollMoved(7);
    d.ScrollMoved(7);
    EXPECT_EQ(r.log, (Log{"scroll 7", "text ' 7'"}));
}

TEST_F(ScaleDialogForm, ClosingAppliesNothingAndOkHidesThenScalesAndLaterShowingsKeepTheControls) {
    d.Show();
    d.TextEdited("30");
    d.Closed();
    EXPECT_FALSE(d.visible());
    EXPECT_EQ(r.i_size, 192) << "closing is no OK";
    r.i_size = 120;
    r.log.clear();
    d.Show();
    EXPECT_EQ(r.log, (Log{"scroll 10", "text ' 10'", "text '10'", "show"}));
    d.ScrollMoved(50);
    r.log.clear();
    d.OKButton_Click();
    EXPECT_EQ(r.log, (Log{"hide", "ScalePivra 50"}));
    EXPECT_EQ(r.i_size, 600);
    r.i_size = 96;  // whatever the window holds now, a later showing does not load again
    r.log.clear();
    d.Show();
    EXPECT_EQ(r.log, Log{"show"});
    EXPECT_EQ(d.text(), " 50");
    EXPECT_EQ(d.scrollValue(), 50);
}

// OK takes the scale from the text, never from a scroll bar that an earlier
// keystroke moved; text that is no whole number from 1 to 50 is refused with
// a message and the dialog stays open.
TEST_F(ScaleDialogForm, OkAppliesTheTextOnlyWhenItIsAWholeScale) {
    struct Case { std::vector<std::string> keystrokes; int16_t applied; };  // the texts typed; 0: refused
    const Case cases[] = {
        {{"5", "51"}, 0},   {{"0"}, 0},        {{"abc"}, 0},       {{""}, 0},     {{" "}, 0},
        {{"1", "12", "12.", "12.5"}, 0},       {{"7", "7a", "7abc"}, 0},           {{"5", "5e", "5e0"}, 0},
        {{"-", "-7"}, 0},   {{"+", "+7"}, 7},  {{"7", "7 "}, 7},   {{"5", "5 ", "5 0"}, 50},
        {{"0", "05"}, 5},   {{"1"}, 1},        {{"5", "50"}, 50},
        // The scroll bar went to 14 and wrote " 14" back: OK applies what the box shows.
        {{"1", "13", "13.", "13.5"}, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keystrokes.back());
        Recorder owner;
        Dialog1 dialog{owner, owner};
        test::RecordingNotifier notifier;
        dialog.Show();
        for (const std::string& text : c.keystrokes) dialog.TextEdited(text);
        owner.log.clear();
        dialog.OKButton_Click();
        if (c.applied) {
            EXPECT_EQ(owner.log, (Log{"hide", "ScalePivra " + std::to_string(c.applied)}));
            EXPECT_TRUE(notifier.shown.empty());
        } else {
            EXPECT_EQ(owner.log, Log{});
            EXPECT_TRUE(dialog.visible());
            EXPECT_EQ(owner.i_size, 192);
            ASSERT_EQ(notifier.shown.size(), 1u);
            EXPECT_EQ(notifier.shown[0].prompt, "A scale is a whole number from 1 to 50.");
            EXPECT_EQ(notifier.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
        }
    }
}

}  // namespace
}  // namespace pivra
