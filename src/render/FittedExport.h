#pragma once
// An animation made for where it goes: rendered from the pictures and, when
// there is a byte budget, fitted to it, then judged and worded here once for
// the window and pivra-make alike. Nothing is written: the caller writes the
// bytes beside its target and renames them into place.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/Destinations.h"
#include "render/RenderAnimation.h"

namespace pivra {

// The limits an export must meet: a destination's, or the user's own.
struct ExportBudget {
    std::size_t maxBytes = 0;  // 0: no budget, the turn rendered as asked at the settings given
    int longestTurnMs = 0;     // 0: no limit
    int shortestFrameMs = 20;  // from the highest frame rate allowed
};

// The destination's limits; maxBytes, when given and smaller, lowers its budget.
ExportBudget BudgetOf(const Destination& destination, std::size_t maxBytes = 0);

// "128000", "128K" or "1M" (K: 1000, M: 1000000), from 1000 to 1000000000; false otherwise.
bool ParseByteCount(const std::string& text, std::size_t& bytes);
// Plain digits from lo to hi; nothing otherwise.
std::optional<int> ParseWholeNumber(const std::string& text, int lo, int hi);

struct FittedExport {
    enum class Status { Made, Missed, Failed };
    Status status = Status::Failed;
    std::vector<std::uint8_t> bytes;  // Made: the file
    // Made: what was chosen, one line ("GIF 128 px, 40 frames x 75 ms, 128
    // colours, 121 541 bytes"); Missed: the cheapest setting tried.
    std::string line;
    // Missed and Failed: why nothing is written, one line without a capital or a full stop.
    std::string why;
    std::size_t missedBy = 0;  // Missed: bytes over the budget
};

// The request's look at request.coin.side, request.coin.frames x
// request.frameMs, in format: with a budget, the best-looking fit (see
// RenderWithinBudget); without, the settings as given.
FittedExport RenderFitted(const RenderRequest& request, AnimationFormat format, const EncodeSettings& settings,
                          const ExportBudget& budget);

}  // namespace pivra
