#pragma once
// Reading the scale dialog's text box.
#include <cstdint>
#include <optional>
#include <string_view>

namespace pivra {

// The leading number of text: blanks are skipped wherever they stand (also
// between digits), then an optional sign, digits with at most one decimal
// point, and an optional exponent ("e" or "E", a sign, digits). Reading stops
// at the first character that cannot continue the number; a text with no
// number gives 0.
double ReadLeadingNumber(std::string_view text);

// The nearest 16-bit integer, halves going to the even neighbour; nothing
// when the value does not fit (or is not finite).
std::optional<int16_t> NearestInt16(double value);

// The scale the text asks for: its leading number taken to the nearest
// 16-bit integer, when that lies from 1 to 50; otherwise nothing, and the
// scroll bar keeps its value.
std::optional<int16_t> ScaleFromText(std::string_view text);

// The scale OK may apply: the text must be a whole number from 1 to 50 and
// nothing else. Blanks count for nothing wherever they stand, as above (the
// dialog itself writes " 7"), and a leading "+" is allowed; "12.5", "7abc"
// and "1e1" move the scroll bar but are not scales, so OK refuses them.
std::optional<int16_t> WholeScaleFromText(std::string_view text);

}  // namespace pivra
