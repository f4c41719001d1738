#include "ScaleText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace pivra {
namespace {

// Walks the text, skipping blanks before every character it looks at.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    int peek() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void take() { ++pos_; }
    size_t mark() const { return pos_; }
    void reset(size_t mark) { pos_ = mark; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

double ReadLeadingNumber(std::string_view text) {
    Reader in(text);
    std::string number;  // what was read, without blanks, for from_chars
    bool negative = false;
    if (const int c = in.peek(); c == '+' || c == '-') {
        negative = c == '-';
        in.take();
    }
    bool digits = false, point = false;
    for (int c = in.peek();; c = in.peek()) {
        if (IsDigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number += static_cast<char>(c);
        in.take();
    }
    if (!digits) return 0;

    bool negativeExponent = false;
    if (const int c = in.peek(); c == 'e' || c == 'E') {
        const size_t before = in.mark();
        std::string exponent = "e";
        in.take();
        if (const int s = in.peek(); s == '+' || s == '-') {
            exponent += static_cast<char>(s);
            negativeExponent = s == '-';
            in.take();
        }
        bool exponentDigits = false;
        for (int d = in.peek(); IsDigit(d); d = in.peek()) {
            exponent += static_cast<char>(d);
            exponentDigits = true;
            in.take();
        }
        if (exponentDigits) number += exponent;
        else in.reset(before);  // "12e" reads as 12
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    return negative ? -value : value;
}

std::optional<int16_t> NearestInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    if (whole < std::numeric_limits<int16_t>::min() || whole > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(whole);
}

std::optional<int16_t> ScaleFromText(std::string_view text) {
    const std::optional<int16_t> n = NearestInt16(ReadLeadingNumber(text));
    if (!n || *n < 1 || *n > 50) return std::nullopt;
    return n;
}

std::optional<int16_t> WholeScaleFromText(std::string_view text) {
    int value = 0;
    bool digits = false, sign = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (c == '+' && !digits && !sign) {
            sign = true;
        } else if (IsDigit(c)) {
            digits = true;
            value = std::min(value * 10 + (c - '0'), 1000);  // past 50 the size no longer matters
        } else {
            return std::nullopt;
        }
    }
    if (!digits || value < 1 || value > 50) return std::nullopt;
    return static_cast<int16_t>(value);
}

}  // namespace pivra
