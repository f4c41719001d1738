// Our LZW coding against giflib's, the reference it must equal: the encoder byte for byte, the decoder
// pixel for pixel, and data that giflib reads its own way left to giflib.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "GifIndexedReader.h"
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
Bytes giflibFile(const Indexed& image, bool interlaced = false) {
    test::GifLayout layout{image.width, image.height, 0, 0, image.width, image.height, image.pixels, {}, false, interlaced};
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

// The indices giflib itself reads from a file.
Bytes giflibIndices(const Bytes& file) {
    std::pair<const Bytes*, std::size_t> reader{&file, 0};
    auto read = [](GifFileType* gif, GifByteType* out, int length) {
        auto& [bytes, at] = *static_cast<std::pair<const Bytes*, std::size_t>*>(gif->UserData);
        const std::size_t n = std::min(std::size_t(length), bytes->size() - at);
        std::copy_n(bytes->begin() + std::ptrdiff_t(at), n, out);
        at += n;
        return int(n);
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    Bytes indices;
    if (gif && DGifSlurp(gif) == GIF_OK) {
        const SavedImage& image = gif->SavedImages[0];
        indices.assign(image.RasterBits, image.RasterBits + image.ImageDesc.Width * image.ImageDesc.Height);
    }
    DGifCloseFile(gif, &error);
    return indices;
}

Bytes packedIndices(const Bytes& file) {
    const std::optional<PackedPicture> packed = readWholeScreenGif(file);
    if (!packed) return {};
    const std::shared_ptr<const Picture> picture = packed->unpack();
    Bytes indices;  // red is the index
    for (std::size_t i = 0; i < picture->rgba.size(); i += 4) indices.push_back(picture->rgba[i]);
    return indices;
}

// Codes as giflib's reader widens them, with no clear ever sent: past 4094 entries giflib reads on in a
// way of its own.
Bytes literalsWithoutClear(int count) {
    Bytes data;
    std::uint32_t bits = 0;
    int held = 0, runningCode = 258, width = 9, maxCode1 = 512;
    for (int i = 0; i < count; ++i) {
        bits |= std::uint32_t(i * 7 % 256) << held;
        for (held += width; held >= 8; held -= 8, bits >>= 8) data.push_back(std::uint8_t(bits));
        if (runningCode < 4097 && ++runningCode > maxCode1 && width < 12) maxCode1 <<= 1, ++width;
    }
    if (held > 0) data.push_back(std::uint8_t(bits));
    return data;
}

TEST(GifLzw, WholeScreenReaderGivesGiflibsPixelsAndLeavesOddDataToGiflib) {
    const Indexed noise = sampleImages().front();
    for (const bool interlaced : {false, true}) {
        const Bytes file = giflibFile(noise, interlaced);
        EXPECT_EQ(packedIndices(file), giflibIndices(file)) << "interlaced " << interlaced;
    }

    // 5000 literals into a 100 x 50 picture: the table fills with no clear.
    const Indexed blank{"blank", 100, 50, 256, Bytes(5000, 0)};
    const Bytes data = literalsWithoutClear(5000);
    Bytes full = giflibFile(blank), out(5000);
    full.resize(dataAt(blank));
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        full.push_back(std::uint8_t(n));
        full.insert(full.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    full.insert(full.end(), {0, ';'});
    EXPECT_FALSE(lzwDecode(data.data(), data.size(), 8, out.data(), out.size()));
    ASSERT_EQ(giflibIndices(full).size(), 5000u);
    EXPECT_EQ(packedIndices(full), giflibIndices(full));

    // Data that cannot be read: refused here, whatever giflib then makes of it.
    Bytes good, joined, pixels(noise.pixels.size());
    appendLzwBlocks(noise.pixels.data(), noise.pixels.size(), 2, good);
    good.push_back(0);
    std::size_t offset = 0;
    ASSERT_TRUE(joinSubBlocks(good, offset, joined));
    EXPECT_FALSE(lzwDecode(joined.data(), joined.size() / 2, 2, pixels.data(), pixels.size())) << "ends early";
    const Bytes eofFirst = {0x05};  // code size 2: clear is 4, end is 5
    EXPECT_FALSE(lzwDecode(eofFirst.data(), eofFirst.size(), 2, pixels.data(), 1)) << "ends before its pixels";
    const Bytes unmade = {0x07};  // code 7 first: no string has that code yet
    EXPECT_FALSE(lzwDecode(unmade.data(), unmade.size(), 2, pixels.data(), 1)) << "a code not made yet";
    offset = 0;
    EXPECT_FALSE(joinSubBlocks(Bytes{3, 1, 2}, offset, joined)) << "blocks past the end";
}

}  // namespace
}  // namespace pivra::imagelib
