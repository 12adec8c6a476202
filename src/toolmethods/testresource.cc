// Class TESTRESOURCE: methods that work on the handle registry itself.
#include <cstdio>
#include <iterator>
#include <string>

#include "core/keywords.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "toolmethods/method_params.h"
#include "toolmethods/testtool.h"

namespace kr {
namespace {

// The tables in the order the dump lists them.
constexpr int kDumpOrder[] = {
    kPersistentOid, kSessionIdHdl, kCorrelId, kStreamHdl,
    kActivityInstanceHdl, kActivityInstanceVectorHdl, kActivityInstanceListHdl, kActivityInstanceListVectorHdl,
    kActivityInstanceNotificationHdl, kActivityInstanceNotificationVectorHdl,
    kContainerElementHdl, kContainerElementVectorHdl, kReadOnlyContainerHdl, kReadWriteContainerHdl,
    kExecutionServiceHdl, kErrorHdl, kInstanceMonitorHdl, kItemHdl, kItemVectorHdl,
    kProcessInstanceHdl, kProcessInstanceVectorHdl, kProcessInstanceListHdl, kProcessInstanceListVectorHdl,
    kProcessInstanceNotificationHdl, kProcessInstanceNotificationVectorHdl,
    kProcessTemplateHdl, kProcessTemplateListHdl, kProcessTemplateListVectorHdl, kProcessTemplateVectorHdl,
    kProgramDataHdl, kProgramTemplateHdl,
    kStringVectorHdl, kIntVectorHdl, kPersonHdl, kWorkitemHdl, kWorkitemVectorHdl, kWorklistHdl, kWorklistVectorHdl,
    kImplementationDataHdl, kImplementationDataVectorHdl, kDllOptionsHdl, kExeOptionsHdl, kExternalOptionsHdl,
    kDateTimeHdl,
    kResultHdl, kBlockInstanceMonitorHdl, kControlConnectorInstanceHdl, kControlConnectorInstanceVectorHdl,
    kPointHdl, kPointVectorHdl, kProcessInstanceMonitorHdl, kSymbolLayoutHdl, kExecutionDataHdl,
};
static_assert(std::size(kDumpOrder) == 53);

std::string hex_u32(uint32_t v, bool padded) {
  char b[16];
  int n = snprintf(b, sizeof b, padded ? "%08X" : "%X", v);
  return std::string(b, static_cast<std::size_t>(n));
}

void entry(std::string* line, int index, std::string_view value) {
  line->append("[").append(std::to_string(index)).append("]=").append(value).append("; ");
}

void dump_table(RunContext& ctx, int type) {
  const HandleRegistry& reg = ctx.reg;
  std::string line(keyword_text(type));
  line.append("(s): ");
  for (int i = 0; i < kHandleSlots; ++i) {
    switch (type) {
      case kPersistentOid:
      case kSessionIdHdl:
        if (const std::string* t = reg.text(type, i); t && !t->empty()) entry(&line, i, *t);
        break;
      case kCorrelId:
        if (reg.correl_present(i)) entry(&line, i, hex_u32(HandleRegistry::correl_slot_address(i), false));
        break;
      case kStreamHdl:
        if (const StreamSlot* s = reg.stream(i); s->present) entry(&line, i, hex_u32(s->id, true));
        break;
      case kDateTimeHdl:
        if (reg.date_time(i)->set != 0) line.append(std::to_string(i)).append("; ");
        break;
      default:
        if (ApiHandle h = reg.handle(type, i); h != 0) entry(&line, i, hex_u32(h, true));
    }
  }
  ctx.out.line(line);
}

void dump_handles(RunContext& ctx) {
  ctx.out.line(keyword_text(ctx.keyword_id));
  std::string_view tok;
  if (!next_token(ctx, &tok)) return;
  if (keyword_id(tok) != kEnd) {
    tool_error(ctx, TC0010, tok);
    return;
  }
  ctx.out.line("");
  ctx.out.line("Dump of registered handles:");
  ctx.out.line("");
  for (int type : kDumpOrder) dump_table(ctx, type);
}

// Only keywords of the object and vector tables can be re-filed; the
// table-less handle keywords (DateTimeHdl, ContainerHdl, ...) are refused
// like unknown words.
bool valid_copy_type(int type) { return type >= 1 && type <= 65 && HandleRegistry::has_object_table(type); }

void treat_handle_as_other_type(RunContext& ctx) {
  ctx.out.line(keyword_text(ctx.keyword_id));
  std::string origin_token, new_token;
  bool have_origin = false, have_new = false;
  int32_t origin_number = 0, new_number = 0;
  bool malformed = false;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    switch (id) {
      case kHdlTypeOrigin:
      case kHdlTypeNew: {
        std::string_view value;
        if (!next_token(ctx, &value)) return Read::kAbort;
        (id == kHdlTypeOrigin ? origin_token : new_token).assign(value);
        (id == kHdlTypeOrigin ? have_origin : have_new) = true;
        return Read::kOk;
      }
      case kHdlNumberOrigin:
      case kHdlNumberNew: {
        Read r = read_i32(ctx, id == kHdlNumberOrigin ? &origin_number : &new_number);
        malformed = r != Read::kOk;
        return r;
      }
      default:
        return std::nullopt;
    }
  });
  // A malformed number has abandoned the statement: nothing may be copied.
  if (!go_on || malformed) return;
  if (!have_origin || !have_new) {
    tool_error(ctx, TC0008, "HdlType...");
    return;
  }
  echo(ctx, kHdlTypeOrigin, origin_token);
  echo(ctx, kHdlTypeNew, new_token);
  echo(ctx, kHdlNumberOrigin, std::to_string(origin_number));
  echo(ctx, kHdlNumberNew, std::to_string(new_number));

  const int origin_type = keyword_id(origin_token);
  const int new_type = keyword_id(new_token);
  if (!valid_copy_type(origin_type)) {
    tool_error(ctx, TC0012, origin_token);
    return;
  }
  if (!valid_copy_type(new_type)) {
    tool_error(ctx, TC0012, new_token);
    return;
  }
  if (range_check(ctx, origin_type, origin_number) == 0) return;
  if (range_check(ctx, new_type, new_number) == 0) return;

  HandleRegistry& reg = ctx.reg;
  *reg.handle_slot(new_type, new_number) = reg.handle(origin_type, origin_number);
  // Two slots now name one object; freeing both at the end would free it twice.
  reg.cleanup_disabled = true;
}

}  // namespace

void testresource_handler(RunContext& ctx) {
  switch (ctx.keyword_id) {
    case kTestResource_DumpHandles: dump_handles(ctx); break;
    case kTestResource_TreatHandleAsHandleOfOtherType: treat_handle_as_other_type(ctx); break;
    default: tool_error(ctx, TC0006, ctx.keyword);
  }
}

}  // namespace kr
