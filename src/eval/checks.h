#pragma once
// Expectation checks: each writes its report block, compares the actual with
// the expected value and either settles the verdict ("+++OK+++" /
// "+++ERROR+++" and the error flag) or, between TestTool_If and
// TestTool_Then, feeds the IF expression.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kr {

struct RunContext;

// What a section passes when it gave no expectation.
inline constexpr std::string_view kNoExpectedRc = "Expected RC missing";
inline constexpr std::string_view kNoExpectedValue = "Expected value missing";
inline constexpr int32_t kNoExpectedSigned = -999999;
inline constexpr uint32_t kNoExpectedUnsigned = 4000000000u;
inline constexpr double kNoExpectedDouble = -999999.0;

// Labels printed after "Ac" and "Xp".
inline constexpr std::string_view kLabelValue = "Value";
inline constexpr std::string_view kLabelSize = "Size";

inline constexpr std::string_view kRcReportLine =
    "..........RC Report.........................................................";
inline constexpr std::string_view kValueReportLine =
    "..........Value Report......................................................";

// A text result that may be absent (the API returned a null pointer).
using OptText = std::optional<std::string_view>;
inline OptText opt_text(const char* p) { return p ? OptText(p) : std::nullopt; }

// The shared last step: the verdict line, or the API/IF expression line in IF mode.
void verdict(RunContext& ctx, bool match);

// RC name of `rc` against the expected name, byte for byte.
void check_rc(RunContext& ctx, uint32_t rc, std::string_view expected);

// Equality ignoring case; a null actual matches only NULL (any case).
// Booleans, enumerations and date-times come here as their texts.
void check_text(RunContext& ctx, std::string_view label, OptText actual, std::string_view expected);
inline void check_text(RunContext& ctx, std::string_view label, const char* actual, std::string_view expected) {
  check_text(ctx, label, opt_text(actual), expected);
}
// A boolean shown and compared as "true" / "false".
void check_bool(RunContext& ctx, std::string_view label, bool actual, std::string_view expected);

// The actual begins with the expected text (case-sensitive); lines AcLike.../XpLike....
void check_like(RunContext& ctx, std::string_view label, OptText actual, std::string_view expected);
inline void check_like(RunContext& ctx, std::string_view label, const char* actual, std::string_view expected) {
  check_like(ctx, label, opt_text(actual), expected);
}

void check_long(RunContext& ctx, std::string_view label, int32_t actual, int32_t expected);
void check_int(RunContext& ctx, std::string_view label, int32_t actual, int32_t expected);
void check_unsigned(RunContext& ctx, std::string_view label, uint32_t actual, uint32_t expected);
// Matches within a relative tolerance of 1e-12 of the expected value.
void check_double(RunContext& ctx, std::string_view label, double actual, double expected);

// Binary value over `length` bytes (from the last ...BinaryLength call; 0 is
// TC0018). `actual` may be null. `expected` is the block the section gave:
// the parsed hex bytes, the text NULL, or kNoExpectedValue; bytes it lacks up
// to `length` count as zeros.
void check_binary(RunContext& ctx, std::string_view label, uint32_t length, const unsigned char* actual,
                  std::string_view expected);

}  // namespace kr
