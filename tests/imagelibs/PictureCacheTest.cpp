// Decoded pictures (and a resize's first pass) are kept by file version: a command must see what the file
// holds when it reads it, as Qt reads the pictures and as ImageMagick resizes the file.
#include <fcntl.h>
#include <sys/stat.h>

#include <QPainter>

#include "ImageLibsTest.h"

namespace pivra::test {
namespace {

QImage bands(QRgb left, QRgb right) {
    QImage image = filled(24, 16, right);
    QPainter(&image).fillRect(0, 0, 10, 16, left);
    return image;
}

class PictureCache : public ImageLibsTest {
protected:
    // Through a conversion and a composite, twice (the second time from the cache).
    void expectReads(const std::string& gif, const QImage& expected) {
        for (int pass = 0; pass < 2; ++pass) {
            ok(morphex(), {gif, at("seen.png")});
            EXPECT_EQ(offPixels(read(at("seen.png")), expected), 0) << gif << " pass " << pass;
            ok(layerik(), {gif, gif, at("seen.png")});
            EXPECT_EQ(offPixels(read(at("seen.png")), expected), 0) << gif << " composite pass " << pass;
        }
    }
    std::string gifOf(const QImage& image, const std::string& name) {
        ok(morphex(), {save(image, name + ".png"), at(name + ".gif")});  // our own write fills the cache
        return at(name + ".gif");
    }
};

TEST_F(PictureCache, SameContentUnderTwoNames) {
    const QImage red = bands(qRgb(255, 0, 0), qRgb(0, 0, 0)), blue = bands(qRgb(0, 0, 255), qRgb(9, 9, 9));
    const std::string a = gifOf(red, "a");
    std::filesystem::create_hard_link(a, at("linked.gif"));
    std::filesystem::copy_file(a, at("copied.gif"));
    for (const char* name : {"a.gif", "linked.gif", "copied.gif"}) expectReads(at(name), red);
    gifOf(blue, "a");  // a.gif now names a new file; the link keeps the old one
    for (const char* name : {"a.gif", "linked.gif", "copied.gif"}) expectReads(at(name), name[0] == 'a' ? blue : red);
}

TEST_F(PictureCache, AFileChangedBetweenTwoCommands) {
    const QImage first = bands(qRgb(255, 0, 0), qRgb(0, 255, 0));
    QImage second = bands(qRgb(1, 2, 3), qRgb(200, 100, 0));
    QPainter(&second).fillRect(0, 12, 24, 4, qRgb(90, 90, 90));
    const std::string x = gifOf(first, "x");
    expectReads(x, first);

    // Replaced in place by another program: the same inode, another size.
    const std::string other = FileContents(gifOf(second, "other"));
    ASSERT_NE(other.size(), FileContents(x).size());
    std::ofstream(x, std::ios::binary | std::ios::trunc) << other;
    expectReads(x, second);

    // Two colour-table entries swapped in place, the same size, the old time put back.
    struct stat before {}, after {};
    ASSERT_EQ(::stat(x.c_str(), &before), 0);
    std::string swapped = other;
    const std::size_t table = 13 + 10;  // header and screen, then the image descriptor
    ASSERT_TRUE(swapped[13] == ',' && (swapped[table - 1] & 0x80)) << "a local table follows";
    std::swap_ranges(swapped.begin() + table, swapped.begin() + table + 3, swapped.begin() + table + 3);
    std::fstream(x, std::ios::binary | std::ios::in | std::ios::out) << swapped;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, x.c_str(), times, 0), 0);
    ASSERT_EQ(::stat(x.c_str(), &after), 0);
    ASSERT_TRUE(after.st_ino == before.st_ino && after.st_size == before.st_size);
    const QImage changed = read(x);  // as Qt reads the bytes now there
    ASSERT_NE(offPixels(changed, second), 0);
    expectReads(x, changed);
}

TEST_F(PictureCache, SamePixelsWithAnotherColourTableOrAlphaFlag) {
    // Lanczos (true colour, opaque) and Mitchell (colour table or alpha) differ on fine detail.
    QImage detail(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) detail.setPixel(x, y, (x + y) % 3 ? qRgb(250, 240, 10) : qRgb(5, 10, 200));
    const std::string files[] = {save(detail, "plain.mif"), save(detail, "table.mif", true),
                                 save(detail.convertToFormat(QImage::Format_ARGB32), "alpha.mif")};
    QImage lanczos;
    for (const std::string& file : files) {
        std::filesystem::copy_file(file, at("m.mif"), std::filesystem::copy_options::overwrite_existing);
        Wand theirs = readWand(at("m.mif"));
        ASSERT_NE(MagickResizeImage(theirs.get(), 17, 30, UndefinedFilter, 1.0), MagickFalse);
        for (int pass = 0; pass < 2; ++pass) {
            ok(morphex(), {at("m.mif"), "-geometry", "17X30!", at("strip.png")});
            EXPECT_EQ(offPixels(read(at("strip.png")), pixelsOf(theirs.get()), 1), 0) << file << " pass " << pass;
        }
        // The same name each time: only the file's version keeps the flags apart.
        if (lanczos.isNull()) lanczos = read(at("strip.png"));
        else EXPECT_NE(offPixels(read(at("strip.png")), lanczos, 1), 0) << file;
    }
}

}  // namespace
}  // namespace pivra::test
