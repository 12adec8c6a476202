#include "diag/rc_names.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/output.h"

namespace kr {
namespace {

struct Rc {
  uint32_t value;
  std::string_view name;
};

// Sorted by value, for the binary search of rc_name.
constexpr Rc kRcs[] = {
#define PVX_RC(name, value) {value, #name},
#include "diag/rc_names.def"
#undef PVX_RC
};

constexpr bool sorted_by_value() {
  for (std::size_t i = 1; i < std::size(kRcs); ++i)
    if (kRcs[i - 1].value >= kRcs[i].value) return false;
  return true;
}
static_assert(sorted_by_value(), "rc_names.def must be in ascending value order");
static_assert(std::size(kRcs) == 131);

}  // namespace

std::string_view rc_name(uint32_t rc) {
  auto it = std::lower_bound(std::begin(kRcs), std::end(kRcs), rc,
                             [](const Rc& r, uint32_t v) { return r.value < v; });
  return (it != std::end(kRcs) && it->value == rc) ? it->name : std::string_view("???");
}

bool rc_value(std::string_view name, uint32_t* value) {
  for (const Rc& r : kRcs)
    if (r.name == name) {
      if (value) *value = r.value;
      return true;
    }
  return false;
}

void write_api_rcs(Sink& out) {
  std::vector<const Rc*> low, high;
  const Rc* ok = nullptr;
  for (const Rc& r : kRcs) {
    if (r.value == 0) ok = &r;
    else (r.value < 10000 ? low : high).push_back(&r);
  }
  auto by_name = [](const Rc* a, const Rc* b) { return a->name < b->name; };
  std::sort(low.begin(), low.end(), by_name);
  std::sort(high.begin(), high.end(), by_name);
  auto row = [&out](const Rc* r) {
    std::string line(r->name);
    line.resize(std::max<std::size_t>(line.size(), 43), ' ');
    line.append(" : ").append(std::to_string(r->value));
    out.line(line);
  };
  out.line("");
  out.line("========= API RCs ===============================");
  for (const Rc* r : low) row(r);
  out.line("========= API RCs > 9999 ========================");
  for (const Rc* r : high) row(r);
  row(ok);
  out.line("");
}

}  // namespace kr
