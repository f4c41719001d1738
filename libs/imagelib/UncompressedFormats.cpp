#include "UncompressedFormats.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "DecodeLimits.h"

namespace pivra::imagelib {

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool sizeAllowed(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

constexpr std::size_t kBmpHeader = 54;

// A MIFF header's "key=value" words, up to the ":" and control-Z that end it.
struct MiffHeader {
    std::string id, version, klass, colors, matte, columns, rows, depth, type, colorspace;
};

bool parseMiffHeader(const std::vector<std::uint8_t>& bytes, MiffHeader& header, std::size_t& dataAt) {
    // ImageMagick wants its id first, before anything else, blanks included.
    static const char kStart[] = "id=ImageMagick";
    if (bytes.size() < sizeof kStart || std::memcmp(bytes.data(), kStart, sizeof kStart - 1) != 0) return false;
    // Keys that say how pixels are stored; any key not listed is a reason to let ImageMagick read the file.
    static const char* const kIgnored[] = {"rendering-intent", "gamma", "red-primary", "green-primary", "blue-primary",
                                           "white-point"};
    std::size_t i = 0;
    const std::size_t end = std::min<std::size_t>(bytes.size(), 4096);
    while (i < end) {
        const unsigned char c = bytes[i];
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f') {
            ++i;
            continue;
        }
        if (c == ':') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != 0x1A) return false;
            dataAt = i + 2;
            return true;
        }
        // Plain words only: ImageMagick's reader gives braces and quotes
        // meanings of its own, even inside a value.
        std::size_t j = i;
        while (j < end && (std::islower(bytes[j]) || bytes[j] == '-')) ++j;
        if (j >= end || j == i || bytes[j] != '=') return false;
        std::size_t k = j + 1;
        while (k < end && (std::isalnum(bytes[k]) || bytes[k] == '.' || bytes[k] == ',' || bytes[k] == '-' || bytes[k] == '+'))
            ++k;
        if (k >= end || k == j + 1 || (bytes[k] != ' ' && bytes[k] != '\n')) return false;
        const std::string key(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.begin() + static_cast<std::ptrdiff_t>(j));
        const std::string value(bytes.begin() + static_cast<std::ptrdiff_t>(j + 1), bytes.begin() + static_cast<std::ptrdiff_t>(k));
        if (key == "id") header.id = value;
        else if (key == "version") header.version = value;
        else if (key == "class") header.klass = value;
        else if (key == "colors") header.colors = value;
        else if (key == "matte") header.matte = value;
        else if (key == "columns") header.columns = value;
        else if (key == "rows") header.rows = value;
        else if (key == "depth") header.depth = value;
        else if (key == "type") header.type = value;
        else if (key == "colorspace") header.colorspace = value;
        else if (std::find(std::begin(kIgnored), std::end(kIgnored), key) == std::end(kIgnored)) return false;
        i = k;
    }
    return false;
}

// A decimal number of at most six digits, or -1.
long long smallNumber(const std::string& text) {
    if (text.empty() || text.size() > 6) return -1;
    long long n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::optional<Picture> readUncompressedBmp(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kBmpHeader || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const std::uint8_t* h = bytes.data();
    const std::uint32_t dataAt = le32(h + 10);
    const long long width = static_cast<std::int32_t>(le32(h + 18));
    const long long signedHeight = static_cast<std::int32_t>(le32(h + 22));
    const long long height = signedHeight < 0 ? -signedHeight : signedHeight;
    // The file's own size as ours and ImageMagick's write it: ImageMagick refuses a larger claim.
    if (le32(h + 2) != bytes.size() || le32(h + 14) != 40 || le16(h + 26) != 1 || le16(h + 28) != 24 || le32(h + 30) != 0 || le32(h + 46) != 0 ||
        dataAt < kBmpHeader || !sizeAllowed(width, height))
        return std::nullopt;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    if (dataAt > bytes.size() || stride * static_cast<std::size_t>(height) > bytes.size() - dataAt) return std::nullopt;

    Picture picture(static_cast<int>(width), static_cast<int>(height));
    for (int y = 0; y < picture.height; ++y) {
        // Bottom-up unless the height is negative.
        const std::size_t fileRow = signedHeight < 0 ? static_cast<std::size_t>(y) : static_cast<std::size_t>(height - 1 - y);
        const std::uint8_t* in = bytes.data() + dataAt + fileRow * stride;
        std::uint8_t* out = picture.pixel(0, y);
        for (int x = 0; x < picture.width; ++x, in += 3, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 255;
        }
    }
    return picture;
}

std::vector<std::uint8_t> writeUncompressedBmp(const Picture& picture) {
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~static_cast<std::size_t>(3);
    const std::size_t imageBytes = stride * static_cast<std::size_t>(picture.height);
    std::vector<std::uint8_t> file(kBmpHeader + imageBytes, 0);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, static_cast<std::uint32_t>(file.size()));
    put32(h + 10, kBmpHeader);
    put32(h + 14, 40);
    put32(h + 18, static_cast<std::uint32_t>(picture.width));
    put32(h + 22, static_cast<std::uint32_t>(picture.height));
    h[26] = 1;   // planes
    h[28] = 24;  // bits a pixel
    put32(h + 34, static_cast<std::uint32_t>(imageBytes));
    for (int y = 0; y < picture.height; ++y) {
        std::uint8_t* out = h + kBmpHeader + static_cast<std::size_t>(picture.height - 1 - y) * stride;
        const std::uint8_t* in = picture.pixel(0, y);
        for (int x = 0; x < picture.width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return file;
}

std::optional<Picture> readPlainMiff(const std::vector<std::uint8_t>& bytes) {
    MiffHeader header;
    std::size_t dataAt = 0;
    if (!parseMiffHeader(bytes, header, dataAt)) return std::nullopt;
    const bool palette = header.klass == "PseudoClass";
    const long long colors = smallNumber(header.colors);
    const long long width = smallNumber(header.columns), height = smallNumber(header.rows);
    if (header.id != "ImageMagick" || header.version != "1.0" || header.matte != "False" || header.depth != "8" ||
        !sizeAllowed(width, height))
        return std::nullopt;
    if (palette ? (colors < 1 || colors > 256 || (header.type != "Palette" && !header.type.empty()) ||
                   (header.colorspace != "sRGB" && header.colorspace != "Gray"))
                : (header.klass != "DirectClass" || colors != 0 || !header.type.empty() || header.colorspace != "sRGB"))
        return std::nullopt;

    const std::size_t pixels = static_cast<std::size_t>(width * height);
    const std::size_t tableBytes = palette ? static_cast<std::size_t>(colors) * 3 : 0;
    if (bytes.size() - dataAt != tableBytes + pixels * (palette ? 1 : 3)) return std::nullopt;
    const std::uint8_t* table = bytes.data() + dataAt;
    const std::uint8_t* in = table + tableBytes;
    for (std::size_t i = 0; palette && header.colorspace == "Gray" && i < tableBytes; i += 3)
        if (table[i] != table[i + 1] || table[i] != table[i + 2]) return std::nullopt;

    Picture picture(static_cast<int>(width), static_cast<int>(height));
    picture.palette = palette;
    std::uint8_t* out = picture.rgba.data();
    for (std::size_t i = 0; i < pixels; ++i, out += 4) {
        const std::uint8_t* rgb = in + i * 3;
        if (palette) {
            if (in[i] >= colors) return std::nullopt;
            rgb = table + static_cast<std::size_t>(in[i]) * 3;
        }
        out[0] = rgb[0];
        out[1] = rgb[1];
        out[2] = rgb[2];
        out[3] = 255;
    }
    return picture;
}

std::vector<std::uint8_t> writePlainMiff(const Picture& picture) {
    // The header ImageMagick writes for a picture it was handed as RGB: its
    // defaults for rendering intent, gamma and the sRGB primaries.
    const std::string header = "id=ImageMagick  version=1.0\nclass=DirectClass  colors=0  matte=False\ncolumns=" +
                               std::to_string(picture.width) + "  rows=" + std::to_string(picture.height) +
                               "  depth=8\ncolorspace=sRGB\nrendering-intent=Perceptual\ngamma=0.454545\n"
                               "red-primary=0.64,0.33  green-primary=0.3,0.6  blue-primary=0.15,0.06\n"
                               "white-point=0.3127,0.329\n\f\n:\x1a";
    std::vector<std::uint8_t> file(header.size() + picture.pixelCount() * 3);
    std::memcpy(file.data(), header.data(), header.size());
    std::uint8_t* out = file.data() + header.size();
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4, out += 3) std::memcpy(out, &picture.rgba[i], 3);
    return file;
}

}  // namespace pivra::imagelib
