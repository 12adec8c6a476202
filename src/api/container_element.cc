// The container element family: one member of a container (a leaf, an array
// or a structure) and the vectors of them.
#include <pvxj/container.h>

#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"

namespace kr::api {

// Shared with the container family (container.cc).
void echo_qualified_name(Call& c, std::size_t k);
void report_binary(Call& c);

namespace {

PvxjContainerElement element(Call& c) { return c.h(0); }
uint32_t array_index(Call& c) { return c.param(kArrayIndex).unsigned_number; }
unsigned char* binary_buffer(Call& c) { return reinterpret_cast<unsigned char*>(c.buffer()); }

// The report dumps the length of the last ...BinaryLength call: the buffer
// holds at least that much.
void grow_for_binary(Call& c) {
  constexpr uint32_t kMax = 64u << 20;
  if (c.result_buffer.size() < c.ctx.binary_length && c.ctx.binary_length <= kMax)
    c.result_buffer.resize(c.ctx.binary_length, '\0');
}

void el_string_length(Call& c) { c.rc = PvxjContainerElementStringLength(element(c), &c.ulong_value); }
void el_binary_length(Call& c) {
  c.rc = PvxjContainerElementBinaryLength(element(c), &c.ulong_value);
  c.ctx.binary_length = c.ulong_value;
}
void el_string_value(Call& c) {
  c.rc = PvxjContainerElementStringValue(element(c), c.buffer(), c.buffer_length());
  c.text = c.buffer();
}
void el_binary_value(Call& c) {
  c.rc = PvxjContainerElementBinaryValue(element(c), binary_buffer(c), c.buffer_length());
  grow_for_binary(c);
}
void el_long_value(Call& c) { c.rc = PvxjContainerElementLongValue(element(c), &c.long_value); }
void el_float_value(Call& c) { c.rc = PvxjContainerElementFloatValue(element(c), &c.double_value); }
void el_array_string_length(Call& c) {
  c.rc = PvxjContainerElementArrayStringLength(element(c), array_index(c), &c.ulong_value);
}
void el_array_binary_length(Call& c) {
  c.rc = PvxjContainerElementArrayBinaryLength(element(c), array_index(c), &c.ulong_value);
  c.ctx.binary_length = c.ulong_value;
}
void el_array_string_value(Call& c) {
  c.rc = PvxjContainerElementArrayStringValue(element(c), array_index(c), c.buffer(), c.buffer_length());
  c.text = c.buffer();
}
void el_array_binary_value(Call& c) {
  c.rc = PvxjContainerElementArrayBinaryValue(element(c), array_index(c), binary_buffer(c), c.buffer_length());
  grow_for_binary(c);
}
void el_array_long_value(Call& c) {
  c.rc = PvxjContainerElementArrayLongValue(element(c), array_index(c), &c.long_value);
}
void el_array_float_value(Call& c) {
  c.rc = PvxjContainerElementArrayFloatValue(element(c), array_index(c), &c.double_value);
}

void el_get_element(Call& c) { c.rc = PvxjContainerElementGetElement(element(c), c.s(1), SlotProxy<PvxjContainerElement>(c.slot(2))); }

// FullName: the name becomes the last retrieved full name (empty when none).
void after_full_name(Call& c) { c.ctx.last_full_name = c.text ? c.text : ""; }

// GetElement: QualifiedName in its own form, passed as derived.
bool resolve_element(Call& c) {
  for (std::size_t k = 0; k < c.row.params.size(); ++k) {
    if (c.row.params[k].keyword == kQualifiedName) {
      echo_qualified_name(c, k);
      continue;
    }
    if (!echo_param(c, k)) return false;
  }
  return true;
}

constexpr Hook kHooks[] = {
    {kPvxjContainerElementFullName, nullptr, after_full_name},
    {kPvxjContainerElementGetElement, resolve_element},
    {kPvxjContainerElementBinaryValue, nullptr, nullptr, report_binary},
    {kPvxjContainerElementArrayBinaryValue, nullptr, nullptr, report_binary},
};

constexpr Row kRows[] = {
#include "api/container_element.def"
};

}  // namespace

FAMILY(container_element_family, "PvxjContainerElement", kPVXJCONTAINERELEMENT, kPVXJCONTAINERELEMENTVECTOR)

}  // namespace kr::api
