// An export made for where it goes, read back by decoders that are not ours:
// a destination fitted under its budget, the user's own limits rendered as
// asked, and a budget that nothing meets, which leaves no bytes to write.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <fstream>

#include "render/FittedExport.h"
#include "support/AnimationReaders.h"
#include "support/GifInspect.h"
#include "support/RenderFaces.h"
#include "support/TempFolder.h"

namespace pivra::test {
namespace {

void SaveFace(int side, int seed, const std::string& path) {
    const imagelib::LoadedPicture loaded = DetailedFace(side, seed);
    const imagelib::Picture& face = *loaded.picture;
    QImage image(face.rgba.data(), face.width, face.height, face.width * 4, QImage::Format_RGBA8888);
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
}

struct Chosen {
    int side = 0, frames = 0, frameMs = 0;
    long bytes = 0;
};

// "GIF 128 px, 40 frames x 75 ms, 128 colours, 121 541 bytes"
Chosen ParseLine(const std::string& line) {
    Chosen c;
    char format[8] = {};
    std::sscanf(line.c_str(), "%7s %d px, %d frames x %d ms", format, &c.side, &c.frames, &c.frameMs);
    std::string digits;
    const std::string tail = line.substr(line.rfind(", ") + 2);
    for (char ch : tail.substr(0, tail.find(" bytes")))
        if (ch != ' ') digits += ch;
    c.bytes = digits.empty() ? -1 : std::stol(digits);
    return c;
}

TEST(FittedExport, ADestinationFitsTheUsersOwnLimitsAreKeptAndAMissWritesNothing) {
    TempFolder dir{"fitted"};
    SaveFace(300, 1, dir / "head.png");
    SaveFace(240, 2, dir / "tail.png");
    struct Case {
        std::string name, file;
        AnimationFormat format;
        int side, frames, frameMs;
        ExportBudget budget;
        FittedExport::Status status;
    };
    const std::vector<Case> cases = {
        {"Slack emoji", "slack.gif", AnimationFormat::Gif, 128, 50, 60, BudgetOf(*FindDestination("slack")),
         FittedExport::Status::Made},
        {"Slack, lowered to 40K", "tight.gif", AnimationFormat::Gif, 128, 50, 60,
         BudgetOf(*FindDestination("slack"), 40000), FittedExport::Status::Made},
        {"WebP as asked, no budget", "own.webp", AnimationFormat::Webp, 48, 8, 100, {}, FittedExport::Status::Made},
        {"APNG in 1000 bytes", "none.png", AnimationFormat::Apng, 96, 24, 60, {1000, 0, 20}, FittedExport::Status::Missed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RenderRequest request;
        request.head = dir / "head.png";
        request.tail = dir / "tail.png";
        request.coin.side = c.side, request.coin.frames = c.frames, request.frameMs = c.frameMs;
        const FittedExport made = RenderFitted(request, c.format, EncodeSettings{}, c.budget);
        ASSERT_EQ(made.status, c.status) << made.why;
        const Chosen chosen = ParseLine(made.line);
        EXPECT_EQ(chosen.side, c.side) << made.line;
        if (c.status == FittedExport::Status::Missed) {
            EXPECT_TRUE(made.bytes.empty());
            EXPECT_EQ(made.missedBy, static_cast<std::size_t>(chosen.bytes) - c.budget.maxBytes) << made.line;
            EXPECT_EQ(made.why, "nothing written: even the smallest setting misses the budget of 1000 bytes by " +
                                    std::to_string(made.missedBy) + " (" + made.line + ")");
            EXPECT_EQ(made.line.rfind("APNG 96 px, 8 frames x ", 0), 0u) << made.line;
            continue;
        }
        EXPECT_EQ(chosen.bytes, static_cast<long>(made.bytes.size())) << made.line;
        if (c.budget.maxBytes > 0) EXPECT_LE(made.bytes.size(), c.budget.maxBytes);
        else EXPECT_EQ(std::make_pair(chosen.frames, chosen.frameMs), std::make_pair(c.frames, c.frameMs));
        std::ofstream(dir / c.file, std::ios::binary)
            .write(reinterpret_cast<const char*>(made.bytes.data()), static_cast<std::streamsize>(made.bytes.size()));
        int width = 0, height = 0, frames = 0, turnMs = 0, loops = -1;
        if (c.format == AnimationFormat::Gif) {
            const GifInfo info = ReadGifStructure(dir / c.file);
            ASSERT_TRUE(info.ok);
            width = info.screenWidth, height = info.screenHeight, loops = info.loopCount;
            frames = static_cast<int>(info.frames.size());
            for (const GifFrameInfo& f : info.frames) turnMs += 10 * f.delayCs;
        } else {
            const WebpAnimation a = ReadWebpAnimation(dir / c.file);
            ASSERT_TRUE(a.ok);
            // libwebp merges a frame into the one before when they are alike.
            width = a.width, height = a.height, loops = a.loopCount, frames = chosen.frames;
            EXPECT_GE(a.frames.size(), size_t(chosen.frames) - 1);
            turnMs = a.endsMs.back();
        }
        EXPECT_EQ(std::make_tuple(width, height, frames, loops), std::make_tuple(c.side, c.side, chosen.frames, 0));
        EXPECT_GE(frames, 8);
        EXPECT_NEAR(turnMs, chosen.frames * chosen.frameMs, 5);
    }
}

}  // namespace
}  // namespace pivra::test
