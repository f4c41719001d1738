// The README's pictures of the coin's edges: the sample pictures built by
// pivra-make as a GIF, as a GIF for a dark page (--matte) and as animated
// WebP, and one frame of each laid over that dark page, enlarged. Then the
// two looks, flat and coin, as WebP, with a few frames of each side by side
// over the same page. Last, a 128-px emoji (--for slack) and a 512-px sticker
// (--for whatsapp) in a dark chat.
//   pivra-edge-pictures BINDIR OUTDIR
#include <spawn.h>
#include <sys/wait.h>
#include <webp/demux.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

const QColor kPage(0x0d, 0x11, 0x17);  // a dark page, as code hosts draw theirs
const char* const kPageText = "#0d1117";
constexpr int kScale = 6, kFrame = 2, kZoom = 4, kLookScale = 8;

bool Run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 && waitpid(pid, &status, 0) == pid &&
           WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QImage GifFrame(const std::string& path, int index) {
    QImageReader reader(QString::fromStdString(path), "gif");
    QImage image;
    for (int k = 0; k <= index; ++k) reader.read(&image);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The frame that shows at 60 ms x index, as libwebp's demuxer gives it.
QImage WebpFrame(const std::string& path, int index) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(WebPAnimDecoderNew(&data, &options),
                                                                        WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return {};
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        uint8_t* pixels = nullptr;
        int ends = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &ends)) return {};
        if (ends > 60 * index)
            return QImage(pixels, int(info.canvas_width), int(info.canvas_height), QImage::Format_RGBA8888)
                .convertToFormat(QImage::Format_ARGB32);
    }
    return {};
}

// Rows of frames over the dark page: the flat look above, the coin look below.
bool SaveLooks(const std::string& out) {
    const int frames[] = {0, 3, 6, 9, 11, 15, 19, 25};
    const char* const looks[] = {"coin-flat.webp", "coin-look.webp"};
    const int side = 12 * kLookScale, gap = 12;
    QImage sheet(8 * side + 9 * gap, 2 * side + 3 * gap, QImage::Format_RGB32);
    sheet.fill(kPage);
    QPainter painter(&sheet);
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 8; ++i) {
            const QImage frame = WebpFrame(out + looks[row], frames[i]);
            if (frame.isNull()) return false;
            painter.drawImage(gap + i * (side + gap), gap + row * (side + gap), frame);
        }
    painter.end();
    return sheet.save(QString::fromStdString(out + "looks-on-dark.png"));
}

// A dark chat: a line of text with the emoji in it, then the sticker as sent.
bool SaveChat(const std::string& out, const QImage& emoji, const QImage& sticker) {
    const QColor chat(0x31, 0x33, 0x38), text(0xdb, 0xde, 0xe1), name(0xf2, 0xf3, 0xf5);
    const int gap = 24, line = 22;
    QImage sheet(sticker.width() + 2 * gap + 56, 3 * gap + 2 * line + emoji.height() + sticker.height(), QImage::Format_RGB32);
    sheet.fill(chat);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x5d, 0x6a, 0xf2));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(gap, gap, 40, 40));
    const int left = gap + 56;
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 11, QFont::Bold));
    painter.setPen(name);
    painter.drawText(QRect(left, gap, sheet.width() - left, line), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("pivra"));
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 11));
    painter.setPen(text);
    painter.drawText(QRect(left, gap + line, sheet.width() - left, line), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("128-px emoji (--for slack), 512-px sticker (--for whatsapp)"));
    painter.drawImage(left, gap + 2 * line + 8, emoji);
    painter.drawImage(left, 2 * gap + 2 * line + emoji.height(), sticker);
    painter.end();
    return sheet.save(QString::fromStdString(out + "chat-on-dark.png"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pivra-edge-pictures BINDIR OUTDIR\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const std::string bin = argv[1], out = std::string(argv[2]) + "/";
    const std::string make = bin + "/pivra-make", head = bin + "/sample_head.jpg", tail = bin + "/sample_tail.jpg";
    const std::string scale = std::to_string(kScale);
    if (!Run({make, head, tail, out + "coin.gif", "--scale", scale, "--quiet"}) ||
        !Run({make, head, tail, out + "coin-matte.gif", "--scale", scale, "--matte", kPageText, "--quiet"}) ||
        !Run({make, head, tail, out + "coin.webp", "--scale", scale, "--quiet"}) ||
        !Run({make, head, tail, out + "coin-flat.webp", "--scale", std::to_string(kLookScale), "--quiet"}) ||
        !Run({make, head, tail, out + "coin-look.webp", "--scale", std::to_string(kLookScale), "--look", "coin",
              "--quiet"}) ||
        !Run({make, head, tail, out + "emoji.gif", "--for", "slack", "--matte", "#313338", "--quiet"}) ||
        !Run({make, head, tail, out + "sticker.webp", "--for", "whatsapp", "--quiet"})) {
        std::fprintf(stderr, "pivra-edge-pictures: pivra-make failed\n");
        return 1;
    }
    const QImage frames[] = {GifFrame(out + "coin.gif", kFrame), GifFrame(out + "coin-matte.gif", kFrame),
                             WebpFrame(out + "coin.webp", kFrame)};
    const char* const captions[] = {"GIF", "GIF --matte #0d1117", "WebP"};
    const int side = 12 * kScale * kZoom, gap = 16, caption = 28;
    QImage sheet(3 * side + 4 * gap, side + caption + 2 * gap, QImage::Format_RGB32);
    sheet.fill(kPage);
    QPainter painter(&sheet);
    QFont font(QStringLiteral("Liberation Sans"), 12);
    painter.setFont(font);
    painter.setPen(QColor(0xc9, 0xd1, 0xd9));
    for (int i = 0; i < 3; ++i) {
        if (frames[i].isNull()) return 1;
        const int left = gap + i * (side + gap);
        // Enlarged pixel for pixel, so the edge's own pixels show.
        painter.drawImage(QRect(left, gap, side, side), frames[i].scaled(side, side));
        painter.drawText(QRect(left, gap + side, side, caption), Qt::AlignCenter, QString::fromLatin1(captions[i]));
    }
    painter.end();
    const QImage emoji = GifFrame(out + "emoji.gif", 1), sticker = WebpFrame(out + "sticker.webp", 1);
    if (emoji.isNull() || sticker.isNull()) return 1;
    return sheet.save(QString::fromStdString(out + "edges-on-dark.png")) && SaveLooks(out) && SaveChat(out, emoji, sticker)
               ? 0 : 1;
}
