#include "eval/checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"
#include "eval/hex.h"
#include "record/recorder.h"

namespace kr {
namespace {

void write_line(RunContext& ctx, std::string_view prefix, std::string_view label, std::string_view value) {
  ctx.out.write(prefix);
  ctx.out.write(label);
  ctx.out.write(" = ");
  ctx.out.line(value);
}

std::string quoted(std::string_view s) {
  std::string r;
  r.reserve(s.size() + 2);
  r.push_back('"');
  r.append(s);
  r.push_back('"');
  return r;
}

bool is_bool_word(std::string_view s) { return iequals(s, "TRUE") || iequals(s, "FALSE"); }

// The text and like checks share their block; they differ in the line
// prefixes and the match rule.
void text_block(RunContext& ctx, std::string_view ac, std::string_view xp, std::string_view label, OptText actual,
                std::string_view expected, bool like) {
  ctx.out.line(kValueReportLine);
  if (!actual) write_line(ctx, ac, label, "NULL");
  else if (is_bool_word(*actual)) write_line(ctx, ac, label, *actual);
  else write_line(ctx, ac, label, quoted(*actual));

  if (expected == kNoExpectedValue) {
    write_line(ctx, xp, label, kNoExpectedValue);
    return;
  }
  if (is_bool_word(expected) || iequals(expected, "NULL")) write_line(ctx, xp, label, expected);
  else write_line(ctx, xp, label, quoted(expected));

  bool match;
  if (!actual) match = iequals(expected, "NULL");
  else if (like) match = actual->substr(0, expected.size()) == expected;
  else match = iequals(*actual, expected);
  verdict(ctx, match);
}

template <typename T>
void number_block(RunContext& ctx, std::string_view label, T actual, T expected, T sentinel) {
  ctx.out.line(kValueReportLine);
  write_line(ctx, "Ac", label, std::to_string(actual));
  if (expected == sentinel) {
    write_line(ctx, "Xp", label, kNoExpectedValue);
    return;
  }
  write_line(ctx, "Xp", label, std::to_string(expected));
  verdict(ctx, actual == expected);
}

}  // namespace

void verdict(RunContext& ctx, bool match) {
  IfState& ifs = ctx.ifs;
  if (!ifs.if_mode) {
    ctx.out.line(match ? "+++OK+++" : "+++ERROR+++");
    if (!match) ctx.error_flag = true;
    return;
  }
  // Inside an IF expression a failed check is not an error: it only makes
  // the expression false.
  ifs.api_expr_seen = true;
  if (!match) ifs.if_value = false;
  ctx.out.write(match ? "API expression is TRUE" : "API expression is FALSE");
  ctx.out.write(";  ");
  ctx.out.line(ifs.if_value ? "IF expression is TRUE" : "IF expression is FALSE");
}

void check_rc(RunContext& ctx, uint32_t rc, std::string_view expected) {
  record_rc(ctx, rc);
  const std::string_view name = rc_name(rc);
  ctx.out.line(kRcReportLine);
  ctx.out.write("AcRc = ");
  ctx.out.write(name);
  ctx.out.write(" = ");
  ctx.out.write_u32(rc);
  ctx.out.end_line();
  ctx.out.write("XpRc = ");
  ctx.out.line(expected);
  if (expected == kNoExpectedRc) return;
  verdict(ctx, name == expected);
}

void check_text(RunContext& ctx, std::string_view label, OptText actual, std::string_view expected) {
  record_text(ctx, actual);
  text_block(ctx, "Ac", "Xp", label, actual, expected, false);
}

void check_bool(RunContext& ctx, std::string_view label, bool actual, std::string_view expected) {
  check_text(ctx, label, OptText(actual ? "true" : "false"), expected);
}

void check_like(RunContext& ctx, std::string_view label, OptText actual, std::string_view expected) {
  text_block(ctx, "AcLike", "XpLike", label, actual, expected, true);
}

void check_long(RunContext& ctx, std::string_view label, int32_t actual, int32_t expected) {
  record_word(ctx, actual == kNoExpectedSigned ? std::string() : std::to_string(actual));
  number_block(ctx, label, actual, expected, kNoExpectedSigned);
}

void check_int(RunContext& ctx, std::string_view label, int32_t actual, int32_t expected) {
  record_word(ctx, actual == kNoExpectedSigned ? std::string() : std::to_string(actual));
  number_block(ctx, label, actual, expected, kNoExpectedSigned);
}

void check_unsigned(RunContext& ctx, std::string_view label, uint32_t actual, uint32_t expected) {
  record_word(ctx, actual == kNoExpectedUnsigned ? std::string() : std::to_string(actual));
  number_block(ctx, label, actual, expected, kNoExpectedUnsigned);
}

void check_double(RunContext& ctx, std::string_view label, double actual, double expected) {
  if (ctx.recorder) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", actual);
    record_word(ctx, actual == kNoExpectedDouble || !std::isfinite(actual) ? std::string() : std::string(b));
  }
  ctx.out.line(kValueReportLine);
  write_line(ctx, "Ac", label, format_double(actual));
  if (expected == kNoExpectedDouble) {
    write_line(ctx, "Xp", label, kNoExpectedValue);
    return;
  }
  write_line(ctx, "Xp", label, format_double(expected));
  const double tolerance = std::fabs(expected) * 1e-12;
  const double diff = actual - expected;
  verdict(ctx, diff >= -tolerance && diff <= tolerance);
}

void check_binary(RunContext& ctx, std::string_view label, uint32_t length, const unsigned char* actual,
                  std::string_view expected) {
  record_word(ctx, std::string());  // bytes are left to the tester
  ctx.out.line(kValueReportLine);
  if (length == 0) {
    tool_error(ctx, TC0018);
    return;
  }
  ctx.out.line("The length of the BINARY data was specified by a previous");
  ctx.out.write("Pvxj...BinaryLength() API and is:  ");
  ctx.out.write_u32(length);
  ctx.out.line(" byte.");

  ctx.out.write("Ac");
  ctx.out.write(label);
  ctx.out.write(" = ");
  bool match = false;
  if (actual) {
    hex_dump(ctx.out, actual, length);
  } else {
    ctx.out.line("NULL");
    match = expected.size() >= 4 && iequals(expected.substr(0, 4), "NULL");
  }
  if (expected == kNoExpectedValue) {
    write_line(ctx, "Xp", label, kNoExpectedValue);
    return;
  }
  // The expected block is compared and shown over the full length, as the
  // zeroed buffer of that length the hex string was parsed into.
  std::vector<unsigned char> block(length, 0);
  std::memcpy(block.data(), expected.data(), std::min<std::size_t>(expected.size(), length));
  ctx.out.write("Xp");
  ctx.out.write(label);
  ctx.out.write(" = ");
  hex_dump(ctx.out, block.data(), length);
  if (actual) match = std::memcmp(actual, block.data(), length) == 0;
  verdict(ctx, match);
}

}  // namespace kr
