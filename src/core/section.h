#pragma once
// Reading the tokens and values of one section, with the limits enforced and
// every malformed value turned into a tool error rather than a dead input.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/keywords.h"
#include "core/tool_errors.h"

namespace kr {

struct RunContext;

inline constexpr int kMaxSectionTokens = 30;
inline constexpr std::size_t kMaxTokenLength = 263;
inline constexpr std::size_t kMaxKeywordLength = 259;

// Outcome of reading one value.
enum class Read {
  kOk,
  kNull,     // the word NULL (any case) where text was expected
  kDefault,  // the word DEFAULT (any case)
  kAtEnd,    // an error was reported and the section skipped through its End:
             // the handler goes on as at End with what it has read
  kAbort,    // the section was abandoned: the handler returns at once
};

// The next token of the section into the next slot. False when the section
// was abandoned (too many tokens, or a token too long).
bool next_token(RunContext& ctx, std::string_view* tok);

// Whether next_token would take the coming token without a refusal; lets a
// handler with a half-written line end it before the report is written.
bool next_token_fits(RunContext& ctx);

// A text value: quoted text with doubled quotes, or NULL / DEFAULT as typed.
// A text longer than `max_len` is refused with TC0010.
Read read_string(RunContext& ctx, std::string* out, std::size_t max_len = kMaxTokenLength);

// Numbers read as formatted extraction does: optional sign and digits, up to
// the first character that cannot continue the number. Text that is not a
// number, or a number that does not fit, is TC0007 and the section ends.
Read read_i32(RunContext& ctx, int32_t* out);
Read read_u32(RunContext& ctx, uint32_t* out);
// An unsigned 16-bit number (the fields of a date-time value), kept in 32 bits.
Read read_u16(RunContext& ctx, uint32_t* out);
Read read_double(RunContext& ctx, double* out);

// TRUE or FALSE (any case); any other word is TC0007 with the word.
Read read_bool(RunContext& ctx, bool* out);

// Reads a tool method's "keyword value" lines through End. `value(id)`
// reads the value of keyword `id` and returns its outcome, or nothing for a
// keyword the method does not accept (TC0010). True when the method goes on
// as at End; false when it must stop.
template <class ReadValue>
bool read_parameters(RunContext& ctx, ReadValue&& value) {
  for (;;) {
    std::string_view tok;
    if (!next_token(ctx, &tok)) return false;
    const int id = keyword_id(tok);
    if (id == kEnd) return true;
    std::optional<Read> r = value(id);
    if (!r) {
      tool_error(ctx, TC0010, tok);
      return false;
    }
    if (*r == Read::kAbort) return false;
    if (*r == Read::kAtEnd) return true;
  }
}

// "parameter:  " keyword " = " value.
void echo(RunContext& ctx, int keyword, std::string_view value);

// The value of the decimal digits a text begins with (after an optional sign),
// as the C library's atoi reads it, clamped to 32 bits; 0 when there are none.
int64_t leading_number(std::string_view text);

}  // namespace kr
