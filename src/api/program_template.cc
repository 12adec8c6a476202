// The program template and program data families: the definition of a
// program and the data a check-out hands out for running it, with their
// stream forms.
#include <pvxj/program_template.h>

#include <cstdio>
#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "eval/checks.h"
#include "eval/hex.h"

namespace kr::api {
namespace {

constexpr EnumEntry kExecutionModeNames[] = {{"Pvx_GM_NotSet", 0}, {"Pvx_GM_Normal", 1}, {"Pvx_GM_Safe", 2}};
constexpr EnumTable kExecutionModes{kExecutionModeNames};
constexpr EnumEntry kExecutionUserNames[] = {{"Pvx_GU_NotSet", 0}, {"Pvx_GU_Agent", 1}, {"Pvx_GU_Starter", 2}};
constexpr EnumTable kExecutionUsers{kExecutionUserNames};

// The stream slot a stream method fills: written "n" in the syntax reference.
constexpr Param stream_target(int kw) {
  Param p = stream_slot(kw);
  p.display = Display::kResultSlot;
  return p;
}

// A larger stream buffer than this is treated as not obtainable.
constexpr uint32_t kMaxStream = 64u << 20;

// The stream length methods: the returned length becomes the last stream length.
void keep_stream_length(Call& c) { c.ctx.stream_length = c.ulong_value; }

// StreamLength: DEFAULT (or none) keeps the last stream length, a number
// replaces it; echoed as the length used, after "DEFAULT = " when it was kept.
bool resolve_stream_target(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  const Value& len = c.param(kStreamLength);
  const bool keep = !len.given || len.is_default;
  if (!keep) ctx.stream_length = len.unsigned_number;
  echo(ctx, kStreamLength, (keep ? "DEFAULT = " : "") + std::to_string(ctx.stream_length));
  for (std::size_t k = 2; k < c.row.params.size(); ++k) {
    if (c.row.params[k].optional && !c.v[k].given) continue;
    if (!echo_param(c, k)) return false;
  }
  return true;
}

// A zero-filled buffer of the last stream length in the stream slot, which
// the API fills.
template <auto Fn>
void as_stream(Call& c) {
  RunContext& ctx = c.ctx;
  const uint32_t length = ctx.stream_length;
  unsigned char* buffer = length > kMaxStream ? nullptr : ctx.reg.new_stream(c.param(kStreamHdl).number, length);
  if (!buffer) tool_error(ctx, TC0023);
  c.rc = Fn(c.h(0), buffer, length);
}
void program_template_as_stream(Call& c) { as_stream<&PvxjProgramTemplateAsStream>(c); }
void program_data_as_stream(Call& c) { as_stream<&PvxjProgramDataAsStream>(c); }

// After the RC report: the stream's bytes, and the file they go to; a failed
// call compares NULL with XpValue.
void stream_report(Call& c) {
  RunContext& ctx = c.ctx;
  if (c.rc != 0) {
    check_text(ctx, kLabelValue, nullptr, c.xp_given ? std::string_view(c.xp_value) : kNoExpectedValue);
    return;
  }
  const StreamSlot* s = ctx.reg.stream(c.param(kStreamHdl).number);
  const unsigned char* bytes = s && s->present ? s->bytes.data() : nullptr;
  const uint32_t length = s && s->present ? s->length : 0;
  ctx.out.write(kValueReportLine);
  hex_dump(ctx.out, bytes, length);
  Value& file = c.param(kStreamOutputFileSpec);
  if (file.given && file.file) {
    if (length) fwrite(bytes, 1, length, file.file.get());
    finish_output_file(ctx, file);
  }
}

constexpr Hook kHooks[] = {
    {kPvxjProgramTemplateStreamLength, nullptr, keep_stream_length},
    {kPvxjProgramDataStreamLength, nullptr, keep_stream_length},
    {kPvxjProgramTemplateAsStream, resolve_stream_target, nullptr, stream_report},
    {kPvxjProgramDataAsStream, resolve_stream_target, nullptr, stream_report},
};

constexpr Row kRows[] = {
#include "api/program_template.def"
};

}  // namespace

FAMILY(program_template_family, "PvxjProgramTemplate", kPVXJPROGRAMTEMPLATE, kPVXJPROGRAMDATA)

}  // namespace kr::api
