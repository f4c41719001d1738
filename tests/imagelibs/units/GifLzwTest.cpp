// Our LZW coding against giflib's, the reference it must equal: the encoder byte for byte, and the
// decoder reading it back.
#include <gtest/gtest.h>

#include <random>

#include "GifLzw.h"
#include "imagelibs/GifBytes.h"

namespace pivra::imagelib {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Indexed {
    std::string name;
    int width, height, colours;
    Bytes pixels;
};

// A whole GIF written by giflib, colour i being (i, 255 - i, 7); its image data starts at dataAt().
Bytes giflibFile(const Indexed& image) {
    test::GifLayout layout{image.width, image.height, 0, 0, image.width, image.height, image.pixels, {}};
    for (int i = 0; i < image.colours; ++i) layout.colours.push_back(std::uint32_t(i << 16 | (255 - i) << 8 | 7));
    const std::string bytes = test::GifFileBytes(layout);
    return Bytes(bytes.begin(), bytes.end());
}
std::size_t dataAt(const Indexed& image) { return 24 + 3 * std::size_t(image.colours); }

std::vector<Indexed> sampleImages() {
    std::mt19937 random(7);
    std::vector<Indexed> images;
    auto add = [&](std::string name, int w, int h, int colours, auto pixel) {
        Indexed image{std::move(name), w, h, colours, Bytes(std::size_t(w) * h)};
        for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = std::uint8_t(pixel(i));
        images.push_back(std::move(image));
    };
    // Noise at every code size: short strings and a clear every few thousand codes.
    for (int colours = 2; colours <= 256; colours *= 2)
        add("noise, " + std::to_string(colours) + " colours", 301, 117, colours, [&](std::size_t) { return random() % colours; });
    add("noise, 3 colours in a table of 4", 640, 480, 4, [&](std::size_t) { return random() % 3; });
    // One colour: strings as long as they get, each code the one just made.
    add("one colour", 600, 600, 256, [](std::size_t) { return 255; });
    add("runs", 500, 400, 64, [&, c = 0u](std::size_t) mutable { return random() % 23 == 0 ? (c = random() % 64) : c; });
    add("one pixel", 1, 1, 2, [](std::size_t) { return 1; });
    add("one column", 1, 700, 16, [](std::size_t i) { return i % 16; });
    return images;
}

TEST(GifLzw, EncodesExactlyAsGiflibAndDecodesBack) {
    for (const Indexed& image : sampleImages()) {
        SCOPED_TRACE(image.name);
        const Bytes reference = giflibFile(image);
        int codeSize = 2;
        while ((1 << codeSize) < image.colours) ++codeSize;
        Bytes ours;
        appendLzwBlocks(image.pixels.data(), image.pixels.size(), codeSize, ours);
        ours.push_back(0);  // the closing block giflib adds
        ASSERT_EQ(reference[dataAt(image) - 1], codeSize);
        ASSERT_GT(reference.size(), dataAt(image));  // our blocks, then only the trailer
        EXPECT_TRUE(Bytes(reference.begin() + std::ptrdiff_t(dataAt(image)), reference.end() - 1) == ours);

        std::size_t offset = 0;
        Bytes joined, decoded(image.pixels.size());
        ASSERT_TRUE(joinSubBlocks(ours, offset, joined));
        EXPECT_EQ(offset, ours.size());
        ASSERT_TRUE(lzwDecode(joined.data(), joined.size(), codeSize, decoded.data(), decoded.size()));
        EXPECT_TRUE(decoded == image.pixels);
    }
}

}  // namespace
}  // namespace pivra::imagelib
