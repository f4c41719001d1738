#include "render/FittedExport.h"

#include <algorithm>

#include "render/BudgetRender.h"

namespace pivra {

ExportBudget BudgetOf(const Destination& destination, std::size_t maxBytes) {
    ExportBudget budget;
    budget.maxBytes = maxBytes > 0 ? std::min(destination.maxBytes, maxBytes) : destination.maxBytes;
    budget.longestTurnMs = destination.longestTurnMs;
    budget.shortestFrameMs = destination.shortestFrameMs;
    return budget;
}

bool ParseByteCount(const std::string& text, std::size_t& bytes) {
    std::string digits = text;
    std::size_t unit = 1;
    if (!digits.empty() && (digits.back() == 'K' || digits.back() == 'k')) unit = 1000, digits.pop_back();
    else if (!digits.empty() && (digits.back() == 'M' || digits.back() == 'm')) unit = 1000000, digits.pop_back();
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    bytes = std::stoull(digits) * unit;
    return bytes >= 1000 && bytes <= 1000000000;
}

std::optional<int> ParseWholeNumber(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int value = std::stoi(text);
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

namespace {

// The settings as given, in the words the fit's line uses.
std::string LevelOf(AnimationFormat format, const EncodeSettings& settings) {
    switch (format) {
        case AnimationFormat::Gif: return LevelText(format, settings.gif.colours);
        case AnimationFormat::Webp: return settings.webp.lossless ? "lossless" : LevelText(format, settings.webp.quality);
        case AnimationFormat::Webm: return LevelText(format, settings.webm.quality);
        case AnimationFormat::Apng: return "full colour";  // without a budget nothing is taken off
    }
    return {};
}

}  // namespace

FittedExport RenderFitted(const RenderRequest& request, AnimationFormat format, const EncodeSettings& settings,
                          const ExportBudget& budget) {
    FittedExport out;
    if (budget.maxBytes == 0) {
        if (!RenderAnimation(request, format, settings, out.bytes, out.why)) return out;
        FitResult asked;
        asked.fits = true;
        asked.chosen = FitSetting{request.coin.frames, request.frameMs, 0};
        asked.bytes = out.bytes.size();
        out.line = DescribeFit(FormatName(format), request.coin.side, asked, LevelOf(format, settings));
        out.status = FittedExport::Status::Made;
        return out;
    }
    Budget limits;
    limits.maxBytes = budget.maxBytes;
    limits.longestTurnMs = budget.longestTurnMs;
    limits.shortestFrameMs = budget.shortestFrameMs;
    BudgetOutcome outcome;
    if (!RenderWithinBudget(request, format, settings, limits, outcome, out.why)) return out;
    out.line = outcome.line;
    if (!outcome.fit.fits) {
        out.status = FittedExport::Status::Missed;
        out.missedBy = outcome.fit.missedBy;
        out.why = "nothing written: even the smallest setting misses the budget of " + std::to_string(budget.maxBytes) +
                  " bytes by " + std::to_string(outcome.fit.missedBy) + " (" + outcome.line + ")";
        return out;
    }
    out.status = FittedExport::Status::Made;
    out.bytes = std::move(outcome.bytes);
    return out;
}

}  // namespace pivra
