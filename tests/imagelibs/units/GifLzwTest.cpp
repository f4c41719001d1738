// Our LZW coding against giflib's, the reference it must equal: the encoder
// byte for byte, the decoder pixel for pixel, and data that giflib reads its
// own way left to giflib.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GifIndexedReader.h"
#include "GifLzw.h"

namespace pivra::imagelib {
namespace {

using Bytes = std::vector<std::uint8_t>;

int appendTo(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

struct Indexed {
    std::string name;
    int width, height, colors;
    Bytes pixels;
};

// A whole GIF written by giflib, rows in pass order when interlaced; `dataAt`
// is where the image data's sub-blocks start.
Bytes giflibFile(const Indexed& image, bool interlaced, std::size_t* dataAt = nullptr) {
    Bytes file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, appendTo, &error);
    std::vector<GifColorType> colors(static_cast<std::size_t>(image.colors));
    for (int i = 0; i < image.colors; ++i)
        colors[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), 7};
    ColorMapObject* map = GifMakeMapObject(image.colors, colors.data());
    EGifPutScreenDesc(gif, image.width, image.height, 8, 0, nullptr);
    EGifPutImageDesc(gif, 0, 0, image.width, image.height, interlaced, map);
    if (dataAt) *dataAt = file.size();
    Bytes rows = image.pixels;  // giflib masks the rows it is given
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? start[pass] : 0; y < image.height; y += interlaced ? step[pass] : 1)
            EGifPutLine(gif, rows.data() + static_cast<std::size_t>(y) * image.width, image.width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return file;
}

std::vector<Indexed> sampleImages() {
    std::mt19937 random(7);
    std::vector<Indexed> images;
    auto add = [&](std::string name, int w, int h, int colors, auto pixel) {
        Indexed image{std::move(name), w, h, colors, Bytes(static_cast<std::size_t>(w) * h)};
        for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(pixel(i));
        images.push_back(std::move(image));
    };
    // Noise at every code size: short strings and a clear every few thousand codes.
    for (int colors = 2; colors <= 256; colors *= 2)
        add("noise, " + std::to_string(colors) + " colours", 301, 117, colors, [&](std::size_t) { return random() % colors; });
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
        std::size_t dataAt = 0;
        const Bytes reference = giflibFile(image, false, &dataAt);
        int codeSize = 1;
        while ((1 << codeSize) < image.colors) ++codeSize;
        codeSize = std::max(2, codeSize);

        Bytes ours;
        appendLzwBlocks(image.pixels.data(), image.pixels.size(), codeSize, ours);
        ours.push_back(0);  // the closing block giflib adds
        ASSERT_EQ(reference[dataAt - 1], codeSize);
        ASSERT_GE(reference.size(), dataAt + ours.size());
        EXPECT_TRUE(std::equal(ours.begin(), ours.end(), reference.begin() + static_cast<std::ptrdiff_t>(dataAt)));
        EXPECT_EQ(reference.size(), dataAt + ours.size() + 1);  // then only the trailer

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
    struct Reader {
        const Bytes* bytes;
        std::size_t at = 0;
    } reader{&file};
    auto read = [](GifFileType* gif, GifByteType* out, int length) {
        auto* r = static_cast<Reader*>(gif->UserData);
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(length), r->bytes->size() - r->at));
        std::copy_n(r->bytes->begin() + static_cast<std::ptrdiff_t>(r->at), n, out);
        r->at += static_cast<std::size_t>(n);
        return n;
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
    Bytes indices;  // the colours were made from the index: red is the index
    for (std::size_t i = 0; i < picture->rgba.size(); i += 4) indices.push_back(picture->rgba[i]);
    return indices;
}

// Codes as giflib's reader widens them, with no clear ever sent: past 4094
// entries giflib reads on in a way of its own.
Bytes literalsWithoutClear(int count) {
    Bytes data;
    std::uint32_t bits = 0;
    int held = 0, runningCode = 258, width = 9, maxCode1 = 512;
    for (int i = 0; i < count; ++i) {
        bits |= static_cast<std::uint32_t>(i * 7 % 256) << held;
        for (held += width; held >= 8; held -= 8, bits >>= 8) data.push_back(static_cast<std::uint8_t>(bits));
        if (runningCode < 4097 && ++runningCode > maxCode1 && width < 12) {
            maxCode1 <<= 1;
            ++width;
        }
    }
    if (held > 0) data.push_back(static_cast<std::uint8_t>(bits));
    return data;
}

Bytes withImageData(Bytes file, std::size_t dataAt, const Bytes& data) {
    file.resize(dataAt);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        file.push_back(static_cast<std::uint8_t>(n));
        file.insert(file.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    file.push_back(0);
    file.push_back(';');
    return file;
}

TEST(GifLzw, WholeScreenReaderGivesGiflibsPixelsAndLeavesOddDataToGiflib) {
    const std::vector<Indexed> images = sampleImages();
    const Indexed& noise = images.front();
    for (const bool interlaced : {false, true}) {
        const Bytes file = giflibFile(noise, interlaced);
        EXPECT_EQ(packedIndices(file), giflibIndices(file)) << "interlaced " << interlaced;
    }

    // 5000 literals into a 100 x 50 picture: the table fills with no clear.
    const Indexed blank{"blank", 100, 50, 256, Bytes(5000, 0)};
    std::size_t dataAt = 0;
    const Bytes written = giflibFile(blank, false, &dataAt);
    const Bytes full = withImageData(written, dataAt, literalsWithoutClear(5000));
    const Bytes joined = literalsWithoutClear(5000);
    Bytes out(5000);
    EXPECT_FALSE(lzwDecode(joined.data(), joined.size(), 8, out.data(), out.size()));
    ASSERT_EQ(giflibIndices(full).size(), 5000u);
    EXPECT_EQ(packedIndices(full), giflibIndices(full));

    // Data that cannot be read: refused here, whatever giflib then makes of it.
    Bytes good;
    appendLzwBlocks(noise.pixels.data(), noise.pixels.size(), 2, good);
    good.push_back(0);
    std::size_t offset = 0;
    Bytes data;
    ASSERT_TRUE(joinSubBlocks(good, offset, data));
    Bytes pixels(noise.pixels.size());
    EXPECT_FALSE(lzwDecode(data.data(), data.size() / 2, 2, pixels.data(), pixels.size())) << "ends early";
    const Bytes eofFirst = {0x05};  // code size 2: clear is 4, end is 5
    EXPECT_FALSE(lzwDecode(eofFirst.data(), eofFirst.size(), 2, pixels.data(), 1)) << "ends before its pixels";
    const Bytes unmade = {0x07};  // code 7 first: no string has that code yet
    EXPECT_FALSE(lzwDecode(unmade.data(), unmade.size(), 2, pixels.data(), 1)) << "a code not made yet";
    offset = 0;
    EXPECT_FALSE(joinSubBlocks(Bytes{3, 1, 2}, offset, data)) << "blocks past the end";
}

}  // namespace
}  // namespace pivra::imagelib
