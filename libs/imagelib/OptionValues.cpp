#include "OptionValues.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "CommandError.h"
#include "MagickSession.h"

namespace pivra::imagelib {

namespace {

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// A side length of 1..kMaxSide written as plain digits.
int parseSide(const std::string& digits, const std::string& whole) {
    if (!allDigits(digits) || digits.size() > 6)
        throw CommandError("bad geometry \"" + whole + "\"");
    int value = std::stoi(digits);
    if (value <= 0) throw CommandError("bad geometry \"" + whole + "\": size must be above 0");
    if (value > kMaxSide) throw CommandError("bad geometry \"" + whole + "\": size too large");
    return value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// floor((a - b) / 2) for any sign of the difference.
int halfDifference(int a, int b) {
    int d = a - b;
    return d >= 0 ? d / 2 : -((-d + 1) / 2);
}

}  // namespace

ResizeGeometry parseGeometry(const std::string& text) {
    ResizeGeometry geometry;
    std::string body = text;
    if (!body.empty() && (body.back() == '!' || body.back() == '^')) {
        (body.back() == '!' ? geometry.exact : geometry.fill) = true;
        body.pop_back();
    }
    std::string::size_type x = body.find_first_of("xX");
    if (x == std::string::npos) throw CommandError("bad geometry \"" + text + "\"");
    geometry.width = parseSide(body.substr(0, x), text);
    geometry.height = parseSide(body.substr(x + 1), text);
    if (static_cast<long long>(geometry.width) * geometry.height > kMaxPixels)
        throw CommandError("bad geometry \"" + text + "\": size too large");
    return geometry;
}

void applyGeometry(const ResizeGeometry& geometry, int width, int height, int& outWidth,
                   int& outHeight) {
    if (geometry.exact) {
        outWidth = geometry.width;
        outHeight = geometry.height;
        return;
    }
    const double scaleX = static_cast<double>(geometry.width) / width;
    const double scaleY = static_cast<double>(geometry.height) / height;
    const double scale = geometry.fill ? std::max(scaleX, scaleY) : std::min(scaleX, scaleY);
    outWidth = std::max(1, static_cast<int>(std::floor(width * scale + 0.5)));
    outHeight = std::max(1, static_cast<int>(std::floor(height * scale + 0.5)));
}

CropGeometry parseCropGeometry(const std::string& text) {
    CropGeometry crop;
    const std::string::size_type sign = text.find_first_of("+-");
    if (sign == std::string::npos) throw CommandError("bad geometry \"" + text + "\": the crop needs its offsets");
    const ResizeGeometry size = parseGeometry(text.substr(0, sign));
    if (size.exact || size.fill) throw CommandError("bad geometry \"" + text + "\"");
    crop.width = size.width;
    crop.height = size.height;
    const std::string::size_type second = text.find_first_of("+-", sign + 1);
    if (second == std::string::npos) throw CommandError("bad geometry \"" + text + "\": the crop needs its offsets");
    int* offsets[] = {&crop.x, &crop.y};
    const std::string parts[] = {text.substr(sign + 1, second - sign - 1), text.substr(second + 1)};
    for (int k = 0; k < 2; ++k) {
        if (!allDigits(parts[k]) || parts[k].size() > 6 || std::stoi(parts[k]) > kMaxSide)
            throw CommandError("bad geometry \"" + text + "\"");
        *offsets[k] = std::stoi(parts[k]) * (text[k == 0 ? sign : second] == '-' ? -1 : 1);
    }
    return crop;
}

void cropOrigin(Gravity gravity, const CropGeometry& crop, int width, int height, int& x, int& y) {
    x = crop.x;
    y = crop.y;
    switch (gravity) {
        case Gravity::NorthEast: case Gravity::East: case Gravity::SouthEast:
            x = width - crop.width - crop.x; break;
        case Gravity::North: case Gravity::Center: case Gravity::South:
            x += width / 2 - crop.width / 2; break;
        default: break;
    }
    switch (gravity) {
        case Gravity::SouthWest: case Gravity::South: case Gravity::SouthEast:
            y = height - crop.height - crop.y; break;
        case Gravity::West: case Gravity::Center: case Gravity::East:
            y += height / 2 - crop.height / 2; break;
        default: break;
    }
}

Rgb parseColor(const std::string& text) {
    std::string name = lowered(text);
    if (name == "white") return Rgb{255, 255, 255};
    if (name == "black") return Rgb{0, 0, 0};
    if (!name.empty() && name[0] == '#' && (name.size() == 4 || name.size() == 7)) {
        int v[6];
        for (std::size_t i = 1; i < name.size(); ++i)
            if ((v[i - 1] = hexDigit(name[i])) < 0) throw CommandError("unknown colour \"" + text + "\"");
        if (name.size() == 4)
            return Rgb{static_cast<std::uint8_t>(v[0] * 17), static_cast<std::uint8_t>(v[1] * 17),
                       static_cast<std::uint8_t>(v[2] * 17)};
        return Rgb{static_cast<std::uint8_t>(v[0] * 16 + v[1]), static_cast<std::uint8_t>(v[2] * 16 + v[3]),
                   static_cast<std::uint8_t>(v[4] * 16 + v[5])};
    }
    throw CommandError("unknown colour \"" + text + "\"");
}

int parseCount(const std::string& option, const std::string& text, int max) {
    if (!allDigits(text) || text.size() > 9 || std::stoi(text) > max)
        throw CommandError("bad value \"" + text + "\" for " + option);
    return std::stoi(text);
}

int parseDisposal(const std::string& text) {
    std::string name = lowered(text);
    if (name == "undefined" || name == "0") return 0;
    if (name == "none" || name == "1") return 1;
    if (name == "background" || name == "2") return 2;
    if (name == "previous" || name == "3") return 3;
    throw CommandError("bad value \"" + text + "\" for -dispose");
}

Gravity parseGravity(const std::string& text) {
    std::string name = lowered(text);
    if (name == "northwest") return Gravity::NorthWest;
    if (name == "north") return Gravity::North;
    if (name == "northeast") return Gravity::NorthEast;
    if (name == "west") return Gravity::West;
    if (name == "center" || name == "centre") return Gravity::Center;
    if (name == "east") return Gravity::East;
    if (name == "southwest") return Gravity::SouthWest;
    if (name == "south") return Gravity::South;
    if (name == "southeast") return Gravity::SouthEast;
    throw CommandError("bad value \"" + text + "\" for -gravity");
}

void gravityOffset(Gravity gravity, int baseWidth, int baseHeight, int srcWidth, int srcHeight,
                   int& x, int& y) {
    switch (gravity) {
        case Gravity::NorthWest: case Gravity::West: case Gravity::SouthWest:
            x = 0; break;
        case Gravity::North: case Gravity::Center: case Gravity::South:
            x = halfDifference(baseWidth, srcWidth); break;
        default:
            x = baseWidth - srcWidth; break;
    }
    switch (gravity) {
        case Gravity::NorthWest: case Gravity::North: case Gravity::NorthEast:
            y = 0; break;
        case Gravity::West: case Gravity::Center: case Gravity::East:
            y = halfDifference(baseHeight, srcHeight); break;
        default:
            y = baseHeight - srcHeight; break;
    }
}

}  // namespace pivra::imagelib
