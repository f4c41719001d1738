// The byte-budget search against a fake encoder whose sizes are known: what
// it chooses, how many encodes it runs, and that the same inputs give the
// same trials.
#include <gtest/gtest.h>

#include "render/BudgetFit.h"

namespace pivra::test {
namespace {

// Bytes a frame at each level, best-looking first.
const std::vector<int> kPerFrame = {1000, 800, 600, 400, 300, 200, 100};

FitLimits Limits(std::size_t budget) {
    FitLimits l;
    l.maxBytes = budget;
    l.levels = {90, 80, 70, 60, 50, 40, 30};
    return l;
}

struct Fake {
    std::vector<FitSetting> tried;
    std::optional<std::size_t> operator()(const FitSetting& s) {
        tried.push_back(s);
        return std::size_t(s.frames) * std::size_t(kPerFrame.at(size_t(s.level)));
    }
};

TEST(FitFrameMs, KeepsTheTurnUnderItsLongestAndAboveTheHighestRate) {
    struct Case { int asked, askedMs, longest, shortest, frames, want; };
    for (const Case& c : std::vector<Case>{{50, 60, 0, 20, 50, 60},    {50, 60, 0, 20, 40, 75},
                                           {50, 60, 0, 20, 8, 375},    {50, 60, 2990, 34, 50, 59},
                                           {50, 60, 2990, 34, 40, 74}, {200, 20, 2990, 34, 200, 0},
                                           {200, 20, 2990, 34, 40, 74}, {10, 1000, 0, 20, 8, 1000}}) {
        FitLimits l;
        l.frames = c.asked, l.frameMs = c.askedMs, l.longestTurnMs = c.longest, l.shortestFrameMs = c.shortest;
        EXPECT_EQ(FitFrameMs(l, c.frames), c.want) << c.asked << " x " << c.askedMs << " ms as " << c.frames;
    }
}

TEST(FitBudget, ChoosesTheMostFramesThenTheBestLevelThatFit) {
    struct Case {
        std::string name;
        std::size_t budget;
        bool fits;
        FitSetting chosen;
        bool belowLeast;
        std::size_t missedBy;
    };
    const std::vector<Case> cases = {
        {"everything fits", 1000000, true, {50, 60, 0}, false, 0},
        {"a middling level at 50 frames", 50 * 650, true, {50, 60, 2}, false, 0},
        {"40 frames at the middle level", 45 * 400, true, {40, 75, 3}, false, 0},
        {"24 frames at the smallest level", 24 * 100, true, {24, 125, 6}, false, 0},
        {"below 24 frames", 1000, true, {8, 375, 6}, true, 0},
        {"nothing fits", 100, false, {8, 375, 6}, true, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fake fake;
        const FitResult r = FitBudget(Limits(c.budget), [&fake](const FitSetting& s) { return fake(s); });
        EXPECT_EQ(r.fits, c.fits);
        EXPECT_EQ(r.chosen, c.chosen) << r.chosen.frames << " x " << r.chosen.frameMs << " ms, level " << r.chosen.level;
        EXPECT_EQ(r.bytes, std::size_t(c.chosen.frames) * std::size_t(kPerFrame[size_t(c.chosen.level)]));
        EXPECT_EQ(r.missedBy, c.missedBy);
        if (c.fits) { EXPECT_EQ(r.belowLeastFrames, c.belowLeast); }
        EXPECT_LE(r.bytes, c.fits ? c.budget : r.bytes);
        EXPECT_EQ(r.encodes, int(fake.tried.size()));
        EXPECT_LE(r.encodes, kMaxFitEncodes);
        // The same inputs, the same trials in the same order.
        Fake again;
        FitBudget(Limits(c.budget), [&again](const FitSetting& s) { return again(s); });
        EXPECT_EQ(again.tried, fake.tried);
    }
}

// Sixteen levels, each budget from nothing to everything: never more than the
// bound, and the choice fits; a setting the encoder cannot make never does.
TEST(FitBudget, StaysWithinItsBoundAndSkipsWhatCannotBeMade) {
    FitLimits l = Limits(0);
    l.levels.assign(16, 0);
    for (std::size_t budget = 0; budget <= 60000; budget += 777) {
        l.maxBytes = budget;
        int encodes = 0;
        const FitResult r = FitBudget(l, [&encodes](const FitSetting& s) -> std::optional<std::size_t> {
            ++encodes;
            if (s.level == 0) return std::nullopt;
            return std::size_t(s.frames) * std::size_t(1200 - 70 * s.level);
        });
        EXPECT_LE(encodes, kMaxFitEncodes) << budget;
        if (r.fits) { EXPECT_TRUE(r.bytes <= budget && r.chosen.level > 0) << budget; }
    }
}

TEST(DescribeFit, OneLineWithTheBytesGrouped) {
    FitResult r;
    r.chosen = {40, 60, 1};
    r.bytes = 97512;
    EXPECT_EQ(DescribeFit("GIF", 128, r, "128 colours"), "GIF 128 px, 40 frames x 60 ms, 128 colours, 97 512 bytes");
    r.bytes = 1234567, r.belowLeastFrames = true;
    EXPECT_EQ(DescribeFit("WebM", 512, r, "quality 40"),
              "WebM 512 px, 40 frames x 60 ms, quality 40, 1 234 567 bytes (fewer than 24 frames: the budget allows no more)");
}

}  // namespace
}  // namespace pivra::test
