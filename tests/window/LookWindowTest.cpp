// The window's Look menu: the coin look in the live preview, prepared off the
// window's thread while the flat look turns in its place.
#include <gtest/gtest.h>

#include <QAction>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "support/AnimationReaders.h"
#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/qt/Form1Window.h"
#include "widgets/GifViewer.h"
#include "window/qt/PaneWidget.h"

namespace pivra::test {
namespace {

const QColor kHead(220, 30, 30), kTail(30, 60, 220);

class LookWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->form().Form_Load();
        window->form().ScalePivra(8);
        window->form().ChooseHead(headPic);
        window->form().ChooseTail(tailPic);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override { window.reset(); }

    // One tick of the preview, with the timer held still so the test picks the frame.
    QImage tick() {
        window->form().Timer1_Timer();
        window->timer().stop();
        // Only the colour counts: the canvas leaves its fourth byte unused.
        return window->pane(Pane::Picture3)->grab().toImage();
    }

    void build() {
        QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().state().BuildRequested && !window->form().building(); }, 60000));
    }

    TempFolder app{"look"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.bmp", gif = app / "Work/pivra.gif";
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
};

// The mean colour of the coin's pixels: those not black.
QColor CoinMean(const QImage& image) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) + qGreen(p) + qBlue(p) < 24) continue;
            r += qRed(p), g += qGreen(p), b += qBlue(p), ++n;
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor(Qt::black);
}

// Flat is the default; with Coin the preview turns a lit, round coin once
// its frames are ready, the head face-on at frame 0 and darker turned away,
// the tail face-on half a turn later; back on Flat, the squeezed card again.
TEST_F(LookWindow, TheCoinLookTurnsALitRoundCoinInThePreview) {
    ASSERT_EQ(window->form().look(), LookKind::Flat);
    EXPECT_TRUE(window->flatLookAction()->isChecked());
    const QImage flat = tick();
    window->coinLookAction()->trigger();
    EXPECT_TRUE(window->coinLookAction()->isChecked());
    EXPECT_FALSE(window->flatLookAction()->isChecked());
    ASSERT_EQ(window->form().look(), LookKind::Coin);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->form().coinPreviewReady(); }, 60000));

    std::vector<QImage> frames;
    for (int k = 0; k < 50; ++k) frames.push_back(tick());
    const QImage& headOn = frames.back();  // frame 0: the turn starts afresh after 50 ticks
    const int s = headOn.width(), c = s / 2;
    ASSERT_GE(s, 96);
    EXPECT_TRUE(CloseColour(headOn.pixel(c, c), kHead, 60)) << std::hex << headOn.pixel(c, c);
    // Round: inside along the axes, black in the corners of the square around it.
    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        EXPECT_GT(qRed(headOn.pixel(c + dx * s * 35 / 100, c + dy * s * 35 / 100)), 100) << dx << "," << dy;
    for (const auto& [dx, dy] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}})
        EXPECT_EQ(headOn.pixel(c + dx * s * 36 / 100, c + dy * s * 36 / 100) & 0xffffff, 0u) << dx << "," << dy;
    // Frame 8 turns the head about 58 degrees away from the lamp on the left.
    EXPECT_LT(CoinMean(frames[7]).red(), 0.8 * CoinMean(headOn).red());
    const QColor tail = CoinMean(frames[24]);  // frame 25: half a turn
    EXPECT_GT(tail.blue(), 2 * tail.red()) << tail.name().toStdString();
    EXPECT_NE(headOn, flat);

    window->flatLookAction()->trigger();
    EXPECT_EQ(window->form().look(), LookKind::Flat);
    // The flat preview: the squeezed card reaches the pane's corners at full width.
    std::vector<QImage> flatFrames;
    for (int k = 0; k < 48; ++k) flatFrames.push_back(tick());
    EXPECT_TRUE(std::find(flatFrames.begin(), flatFrames.end(), flat) != flatFrames.end());
}

// CREATE PIVRA in the coin look: the renderer's GIF, read back by giflib and
// by Qt: 50 frames of the pane's size, 6 hundredths each, looping, the head
// face-on first over a clear outside; the result pane plays it.
TEST_F(LookWindow, ACoinBuildIsTheRenderedTurnAndTheResultPanePlaysIt) {
    window->coinLookAction()->trigger();
    build();
    EXPECT_TRUE(notifier.shown.empty()) << notifier.shown.at(0).prompt;
    const GifInfo info = ReadGifStructure(gif);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.screenWidth, 96);
    EXPECT_EQ(info.loopCount, 0);
    ASSERT_EQ(info.frames.size(), 50u);
    for (const GifFrameInfo& f : info.frames) EXPECT_EQ(f.delayCs, 6);
    const std::vector<QImage> frames = ReadGifFrames(gif);
    ASSERT_EQ(frames.size(), 50u);
    EXPECT_TRUE(CloseColour(frames[0].pixel(48, 48), kHead, 60)) << std::hex << frames[0].pixel(48, 48);
    EXPECT_EQ(qAlpha(frames[0].pixel(2, 2)), 0);
    const QRgb tail = frames[25].pixel(48, 48);
    EXPECT_GT(qBlue(tail), 2 * qRed(tail)) << std::hex << tail;
    ASSERT_TRUE(window->viewer()->playing());
    const QImage shown = window->viewer()->currentFrame().convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(std::find(frames.begin(), frames.end(), shown) != frames.end());

    // On a black page the coin's edge blends into black, not into white.
    const auto edge = [](const QImage& frame) {
        int x = 0;
        while (x < frame.width() && qAlpha(frame.pixel(x, 48)) == 0) ++x;
        return qRed(frame.pixel(x, 48)) + qGreen(frame.pixel(x, 48)) + qBlue(frame.pixel(x, 48));
    };
    window->form().setPageColour("#000000");
    build();
    const std::vector<QImage> onBlack = ReadGifFrames(gif);
    ASSERT_EQ(onBlack.size(), 50u);
    EXPECT_LT(edge(onBlack[0]), edge(frames[0]));
}

// SAVE after a coin build draws that build again from its pictures in full
// colour: WebP and APNG read back by libwebp and libpng. A picture changed
// since is drawn as it is now, and the user told; one gone is named, and
// nothing is written.
TEST_F(LookWindow, SavingACoinBuildDrawsItsPicturesAndSaysWhatChangedOrWent) {
    window->coinLookAction()->trigger();
    build();
    std::string name;
    window->setSaveFileChooser([&](SaveDialogRequest&) { return name; });
    name = app / "coin.webp";
    window->saveAction()->trigger();
    EXPECT_TRUE(notifier.shown.empty());
    const WebpAnimation webp = ReadWebpAnimation(name);
    ASSERT_TRUE(webp.ok);
    ASSERT_EQ(webp.frames.size(), 50u);
    EXPECT_EQ(webp.width, 96);
    const std::uint8_t* centre = webp.frames[0].at(48, 48);
    EXPECT_TRUE(CloseColour(qRgb(centre[0], centre[1], centre[2]), kHead, 60));
    EXPECT_EQ(webp.frames[0].at(2, 2)[3], 0);

    const QColor green(30, 200, 30);
    ASSERT_TRUE(WriteSolidPicture(headPic, 200, 200, green));
    name = app / "changed.png";
    window->saveAction()->trigger();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("The head picture has changed on disk"), std::string::npos);
    const ApngAnimation apng = ReadApng(name);
    ASSERT_TRUE(apng.ok);
    ASSERT_EQ(apng.frames.size(), 50u);
    const std::uint8_t* now = apng.frames[0].at(48, 48);
    EXPECT_TRUE(CloseColour(qRgb(now[0], now[1], now[2]), green, 60));

    std::filesystem::remove(tailPic);
    name = app / "gone.webm";
    std::ofstream(name) << "the user's own";
    notifier.shown.clear();
    window->saveAction()->trigger();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_NE(notifier.shown[0].prompt.find("The tail picture is no longer there:\n" + tailPic), std::string::npos)
        << notifier.shown[0].prompt;
    EXPECT_EQ(FileContents(name), "the user's own");
}

// Closing the window while the coin is drawn stops the drawing, closes the
// window and keeps the last animation byte for byte.
TEST_F(LookWindow, ClosingDuringACoinBuildStopsItAndKeepsTheLastAnimation) {
    build();  // a flat one first
    const std::string before = FileContents(gif);
    ASSERT_EQ(ReadGifStructure(gif).frames.size(), 50u);
    window->form().ScalePivra(40);  // large enough to be drawn over many ticks of the bar
    window->coinLookAction()->trigger();
    bool refused = false, asked = false;
    auto* bar = window->widget(Control::ProgressBar1);
    QObject::connect(static_cast<QProgressBar*>(bar), &QProgressBar::valueChanged, window.get(), [&](int v) {
        if (v < 10 || v > 100 || std::exchange(asked, true)) return;
        EXPECT_TRUE(window->form().building());
        QTimer::singleShot(0, window.get(), [&] { refused = !window->close(); });
    });
    QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 60000));
    EXPECT_TRUE(refused) << "the window waits for the drawing to stop";
    EXPECT_FALSE(window->form().building());
    EXPECT_EQ(FileContents(gif), before);
    EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace pivra::test
