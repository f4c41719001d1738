#pragma once
// Pictures for the image library tests, made and read back with decoders
// independent of the libraries: Qt for PNG/JPEG/BMP/GIF pixels, giflib for
// GIF structure, MagickWand for MIFF.
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace pivra::test {

// A fresh folder under /tmp, removed with its contents.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& dir() const { return dir_; }
    std::vector<std::string> names() const;  // sorted, hidden files included

private:
    std::string dir_;
};

QImage solidImage(int width, int height, QColor color);

// Saves through Qt ("PNG", "JPG", "BMP"); fails the test if Qt cannot.
void savePicture(const QImage& image, const std::string& path, const char* qtFormat);

// Writes a GIF with giflib: one frame per image, each with its exact
// palette (at most 255 colours), alpha 0 as the transparent index; rows in
// interlaced order when asked.
void saveGif(const std::vector<QImage>& frames, const std::string& path, bool interlaced = false);

// A GIF whose screen and first frame claim the given size, with tiny data.
std::vector<std::uint8_t> gifHeaderClaiming(std::uint16_t width, std::uint16_t height);

// First frame through QImageReader, as non-premultiplied ARGB32; null on failure.
QImage readPicture(const std::string& path);

struct GifFrames {
    std::vector<QImage> images;  // through QImageReader
    std::vector<int> delaysMs;
    int loopCount = -2;          // QImageReader::loopCount()
};
GifFrames readGifFrames(const std::string& path);

// What giflib sees in a GIF.
struct GifStructure {
    int frameCount = 0;
    std::vector<int> disposal;        // per frame, -1 without a control block
    std::vector<int> delay;           // hundredths of a second
    std::vector<int> localColorCount; // 0 without a local colour table
    bool hasLoopBlock = false;
    int loopCount = -1;
};
GifStructure readGifStructure(const std::string& path);

// A MIFF file's first image through MagickWand.
QImage readMiff(const std::string& path);

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool fileExists(const std::string& path);

// A PNG whose header claims the given size, with no real pixel data.
std::vector<std::uint8_t> pngHeaderClaiming(std::uint32_t width, std::uint32_t height);

// Largest per-channel difference over the pixels both images have.
int maxChannelDifference(const QImage& a, const QImage& b);

}  // namespace pivra::test
