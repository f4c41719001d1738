// File, "Export for…" on the real window and its real dialog: a destination
// and the user's own limits saved fitted, read back by libwebp and giflib;
// what is refused writes nothing; the choice outlives the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>

#include "dialogs/qt/ExportDialog.h"
#include "support/AnimationReaders.h"
#include "support/FileContents.h"
#include "support/GifInspect.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "window/KeptBuild.h"
#include "window/qt/Form1Window.h"

namespace pivra::test {
namespace {

namespace fs = std::filesystem;

class ExportWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, QColor(220, 30, 30)));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, QColor(30, 60, 220)));
        open();
    }
    void TearDown() override { window.reset(); }

    // A window (again: a restart) with both pictures chosen and, unless
    // told not to, a flat build made.
    void open(bool andBuild = true) {
        window.reset();
        window = std::make_unique<Form1Window>(FormFolders{app.str(), PIVRA_BIN_DIR});
        window->form().Form_Load();
        window->form().ScalePivra(8);
        window->form().ChooseHead(headPic);
        window->form().ChooseTail(tailPic);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->setSaveFileChooser([this](SaveDialogRequest& r) {
            asked.push_back(r);
            return saveAs;
        });
        if (andBuild) build();
    }
    void build() {
        QTest::mouseClick(window->widget(Control::CreateBtn), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().state().BuildRequested && !window->form().building(); }, 60000));
    }

    // File, "Export for…" with the dialog answered by act once it shows;
    // then waits until the export is over. Before the dialog the user may
    // be told why there is nothing to export: then none shows.
    void exportWith(const std::function<void(ExportDialog&)>& act, bool dialogShows = true) {
        bool answered = false;
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, window.get(), [&, poll] {
            auto* dialog = dynamic_cast<ExportDialog*>(QApplication::activeModalWidget());
            if (!dialog || answered) return;
            answered = true;
            poll->stop();
            act(*dialog);
            if (dialog->isVisible()) dialog->reject();  // refused, or only looked at
        });
        poll->start(10);
        window->exportAction()->trigger();
        EXPECT_EQ(answered, dialogShows);
        delete poll;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().building(); }, 60000));
    }

    static void Export(ExportDialog& d) { d.exportButton()->click(); }

    std::string lastMessage() const { return notifier.shown.empty() ? "" : notifier.shown.back().prompt; }

    TempFolder app{"export"};
    const std::string headPic = app / "head.png", tailPic = app / "tail.bmp";
    RecordingNotifier notifier;
    std::unique_ptr<Form1Window> window;
    std::string saveAs;
    std::vector<SaveDialogRequest> asked;
};

// The bytes the message's "Chosen:" line gives.
long LineBytes(const std::string& message) {
    const std::string tail = message.substr(message.rfind(", ") + 2);
    std::string digits;
    for (char c : tail.substr(0, tail.find(" bytes")))
        if (c != ' ') digits += c;
    return digits.empty() ? -1 : std::stol(digits);
}

// "12 345", as the message groups bytes.
std::string Grouped(std::uintmax_t n) {
    std::string text = std::to_string(n);
    for (int at = static_cast<int>(text.size()) - 3; at > 0; at -= 3) text.insert(static_cast<size_t>(at), " ");
    return text;
}

// Slack emoji: its limits shown, the save dialog proposes a .gif, the GIF is
// 128 px and under 128 000 bytes by giflib's reading, and the message says
// what was chosen. A name ending otherwise, or a picture gone since the
// build, is refused and writes nothing.
TEST_F(ExportWindow, ADestinationIsSavedFittedAndWhatCannotBeIsRefused) {
    EXPECT_EQ(window->exportAction()->text(), QStringLiteral("&Export for\u2026"));
    QString limits;
    saveAs = app / "emoji.gif";
    exportWith([&](ExportDialog& d) {
        ASSERT_EQ(d.list()->count(), 7);
        EXPECT_EQ(d.list()->item(6)->text(), QStringLiteral("Custom"));
        d.list()->setCurrentRow(2);  // Discord sticker
        EXPECT_EQ(d.limits()->text().toStdString(),
                  "Format: APNG (.png)\nSide: exactly 320 x 320 pixels\nMost bytes: 512 000\nLongest turn: 5 s\n"
                  "Highest frame rate: 50 frames a second");
        d.list()->setCurrentRow(3);  // Telegram
        EXPECT_NE(d.limits()->text().toStdString().find("Longest turn: 2.99 s\nHighest frame rate: 30 frames a second"),
                  std::string::npos);
        d.list()->setCurrentRow(0);
        limits = d.limits()->text();
        Export(d);
    });
    EXPECT_EQ(limits.toStdString(), "Format: GIF (.gif)\nSide: exactly 128 x 128 pixels\nMost bytes: 128 000\n"
                                    "Longest turn: no limit\nHighest frame rate: 50 frames a second");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fileName, "pivra-slack.gif");
    EXPECT_EQ(asked[0].filter, "GIF Files (*.gif)|*.gif");
    ASSERT_EQ(notifier.shown.size(), 1u) << lastMessage();
    const std::string said = lastMessage();
    EXPECT_EQ(said.rfind("Exported for Slack emoji:\n" + saveAs + "\nChosen: GIF 128 px, ", 0), 0u) << said;
    const GifInfo gif = ReadGifStructure(saveAs);
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(std::make_tuple(gif.screenWidth, gif.screenHeight, gif.loopCount), std::make_tuple(128, 128, 0));
    EXPECT_GE(gif.frames.size(), 24u);
    EXPECT_LE(fs::file_size(saveAs), 128000u);
    EXPECT_EQ(LineBytes(said), static_cast<long>(fs::file_size(saveAs)));
    const std::vector<QImage> frames = ReadGifFrames(saveAs);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(CloseColour(frames[0].pixel(64, 64), QColor(220, 30, 30), 40)) << std::hex << frames[0].pixel(64, 64);
    EXPECT_EQ(qAlpha(frames[0].pixel(1, 1)), 0);

    struct Refusal { std::string name, expected; std::function<void()> before; };
    const std::vector<Refusal> refusals = {
        {"emoji.png", "The name must end in .gif, since Slack emoji takes GIF.\nNothing was written.", [] {}},
        {"gone.gif", "The tail picture is no longer there:\n" + tailPic + "\nNothing was written.",
         [&] { fs::remove(tailPic); }},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        r.before();
        saveAs = app / r.name;
        std::ofstream(saveAs) << "the user's own";
        notifier.shown.clear();
        exportWith(Export);
        EXPECT_EQ(lastMessage(), r.expected);
        EXPECT_EQ(FileContents(saveAs), "the user's own");
    }
}

// Custom: a value out of range keeps the dialog open and says what is
// allowed; a WebP without a budget is the turn as asked, by libwebp; a
// budget nothing meets writes nothing and says by how much; and the choice
// and values are there again after a restart.
TEST_F(ExportWindow, CustomValuesAreCheckedKeptAsAskedAndRemembered) {
    struct Bad { QLineEdit* (ExportDialog::*field)() const; const char* text; std::string said; };
    const std::vector<Bad> bad = {
        {&ExportDialog::sideEdit, "2000", "The side must be a whole number of pixels from 16 to 1024, not \"2000\"."},
        {&ExportDialog::framesEdit, "7", "The frames must be a whole number from 8 to 200, not \"7\"."},
        {&ExportDialog::frameTimeEdit, "ten", "The frame time must be a whole number of milliseconds from 20 to 1000, not \"ten\"."},
        {&ExportDialog::maxBytesEdit, "12", "The most bytes must be a whole number from 1000 to 1000000000 (K for 1000, M for "
                                            "1000000), or empty for no limit, not \"12\"."},
    };
    saveAs = app / "never.gif";
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        exportWith([&](ExportDialog& d) {
            d.list()->setCurrentRow(6);
            EXPECT_TRUE(d.sideEdit()->isEnabled());
            (d.*b.field)()->setText(QString::fromLatin1(b.text));
            Export(d);
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.problem()->text().toStdString(), b.said);
        });
    }
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(fs::exists(saveAs));
    EXPECT_TRUE(notifier.shown.empty()) << lastMessage();

    const auto custom = [](const char* format, const char* bytes) {
        return [=](ExportDialog& d) {
            d.list()->setCurrentRow(6);
            d.sideEdit()->setText(QStringLiteral("64"));
            d.framesEdit()->setText(QStringLiteral("12"));
            d.frameTimeEdit()->setText(QStringLiteral("80"));
            d.formatBox()->setCurrentText(QString::fromLatin1(format));
            d.maxBytesEdit()->setText(QString::fromLatin1(bytes));
            EXPECT_EQ(d.limits()->text().toStdString().substr(0, d.limits()->text().indexOf('\n')),
                      std::string("Format: ") + format + (format == std::string("WebP") ? " (.webp)" : " (.png)"));
            Export(d);
        };
    };
    saveAs = app / "own.webp";
    exportWith(custom("WebP", ""));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked.back().fileName, "pivra-64.webp");
    const WebpAnimation webp = ReadWebpAnimation(saveAs);
    ASSERT_TRUE(webp.ok);
    EXPECT_EQ(std::make_tuple(webp.width, webp.height, webp.loopCount, webp.endsMs.back()), std::make_tuple(64, 64, 0, 960));
    EXPECT_EQ(lastMessage(), "Exported for Custom:\n" + saveAs + "\nChosen: WebP 64 px, 12 frames x 80 ms, quality 80, " +
                                 Grouped(fs::file_size(saveAs)) + " bytes");

    saveAs = app / "tight.png";
    std::ofstream(saveAs) << "the user's own";
    exportWith(custom("APNG", "1K"));
    EXPECT_EQ(lastMessage().rfind("The Pivra could not be exported for Custom.\nNothing written: even the smallest setting "
                                  "misses the budget of 1000 bytes by ", 0), 0u) << lastMessage();
    EXPECT_NE(lastMessage().find("(APNG 64 px, 8 frames x "), std::string::npos) << lastMessage();
    EXPECT_EQ(FileContents(saveAs), "the user's own");

    open();  // a restart
    exportWith([&](ExportDialog& d) {
        EXPECT_EQ(d.list()->currentRow(), 6);
        EXPECT_EQ(d.sideEdit()->text(), QStringLiteral("64"));
        EXPECT_EQ(d.frameTimeEdit()->text(), QStringLiteral("80"));
        EXPECT_EQ(d.formatBox()->currentText(), QStringLiteral("APNG"));
        EXPECT_EQ(d.maxBytesEdit()->text(), QStringLiteral("1K"));
    });
}

// A coin build outlives the window: after a restart SAVE's WebP draws it
// again from its pictures (libwebp: the build's side, the head face-on),
// and Export draws it too. A kept file that is damaged, or that belongs to
// another animation than the one in Work, is not used: SAVE and Export
// then say what they said before such a file was kept.
TEST_F(ExportWindow, AfterARestartACoinBuildIsDrawnAgainFromItsPictures) {
    const std::string kept = app / kKeptBuildFile, gif = app / "Work/pivra.gif";
    struct Case { std::string name; std::function<void()> spoil; bool drawn; };
    const std::vector<Case> cases = {
        {"kept whole", [] {}, true},
        {"cut short", [&] { fs::resize_file(kept, fs::file_size(kept) - 20); }, false},
        {"another animation", [&] {
             const std::string bytes = FileContents(gif);
             fs::remove(gif);
             std::ofstream(gif, std::ios::binary) << bytes;
         }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->coinLookAction()->trigger();
        build();
        ASSERT_TRUE(fs::exists(kept));
        c.spoil();
        open(false);
        notifier.shown.clear();
        saveAs = app / "coin.webp";
        fs::remove(saveAs);
        window->saveAction()->trigger();
        if (!c.drawn) {
            ASSERT_EQ(notifier.shown.size(), 1u);
            EXPECT_NE(lastMessage().find("the pictures of the last Pivra are not kept"), std::string::npos) << lastMessage();
            EXPECT_FALSE(fs::exists(saveAs));
            exportWith(Export, false);
            EXPECT_EQ(lastMessage().rfind("This Pivra was built before PIVRA last started", 0), 0u) << lastMessage();
            continue;
        }
        EXPECT_TRUE(notifier.shown.empty()) << lastMessage();
        const WebpAnimation webp = ReadWebpAnimation(saveAs);
        ASSERT_TRUE(webp.ok);
        EXPECT_EQ(std::make_tuple(webp.width, webp.endsMs.back()), std::make_tuple(96, 3000));
        const std::uint8_t* centre = webp.frames[0].at(48, 48);
        EXPECT_TRUE(CloseColour(qRgb(centre[0], centre[1], centre[2]), QColor(220, 30, 30), 60));
        EXPECT_EQ(webp.frames[0].at(1, 1)[3], 0);
        saveAs = app / "slack.gif";
        exportWith([](ExportDialog& d) {
            d.list()->setCurrentRow(0);
            Export(d);
        });
        EXPECT_EQ(lastMessage().rfind("Exported for Slack emoji:", 0), 0u) << lastMessage();
        EXPECT_EQ(ReadGifStructure(saveAs).screenWidth, 128);
    }
}

// The kept file reads back as written, a name with a line break and a
// backslash included; anything else this program did not write whole is refused.
TEST(KeptBuildFile, ReadsBackAsWrittenAndRefusesWhatItDidNotWrite) {
    KeptBuild k;
    k.request.head = "/a/odd\\name\nwith a break.jpg";
    k.request.tail = "/b/t\u00e4il.png";
    k.request.crop = true;
    k.request.look = LookKind::Coin;
    k.request.coin.side = 96, k.request.coin.frames = 50, k.request.frameMs = 60, k.request.coin.thickness = 8;
    k.request.coin.rim = imagelib::Rgb{1, 2, 3};
    k.request.coin.light = false;
    k.settings.gif.matte = std::array<std::uint8_t, 3>{0x31, 0x33, 0x38};
    k.head = FileStamp{1, 2, 3, 4};
    k.animation = FileStamp{5, 6, 7, 8};
    const std::string text = KeptBuildText(k);
    const std::optional<KeptBuild> back = ParseKeptBuild(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(KeptBuildText(*back), text);
    EXPECT_EQ(back->request.head, k.request.head);
    EXPECT_EQ(std::make_tuple(back->request.look, back->request.coin.rim->b, (*back->settings.gif.matte)[0], back->tail.has_value()),
              std::make_tuple(LookKind::Coin, 3, 0x31, false));
    std::string noHead = text;
    noHead.erase(noHead.find("head "), noHead.find('\n', noHead.find("head ")) - noHead.find("head ") + 1);
    for (const std::string& bad : {std::string(), text.substr(0, text.size() - 1), text.substr(0, text.size() / 2),
                                   "PIVRA last build 2" + text.substr(text.find('\n')), noHead,
                                   std::string(text).replace(text.find("side 96"), 7, "side x6"),
                                   text + "head /again\n"})
        EXPECT_FALSE(ParseKeptBuild(bad)) << bad;
}

}  // namespace
}  // namespace pivra::test
