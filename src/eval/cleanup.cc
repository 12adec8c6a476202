#include "eval/cleanup.h"

#include <array>
#include <string>

#include "api/handle_types.h"
#include "core/keywords.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "pvxj/base.h"

namespace kr {
namespace {

struct Step {
  int table;  // handle keyword id
  std::string_view function;
  int32_t (*deallocate)(PvxjHandle*);
};

struct Entry {
  int step;
  bool freeable;  // the class has a deallocate function
  Step s;
};

// The classes with a clean-up step, in class-table order.
#define STEP_0(Name) nullptr
#define STEP_1(Name) api::BySlot<Pvxj##Name##Deallocate>::call
constexpr Entry kClasses[] = {
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, Dealloc, Copy, Equal, Oid, Cleanup) \
  {Cleanup, Dealloc != 0, {k##Name##Hdl, "Pvxj" #Name "Deallocate", STEP_##Dealloc(Name)}},
#include "pvxj/classes.def"
#undef PVXJ_CLASS
};
#undef STEP_0
#undef STEP_1

constexpr std::size_t kSteps = 46;

// Vectors of templates first, the execution services last: an object is
// freed before the objects it came from. Steps 1 to 46, each exactly once,
// each with a deallocate function.
// (Function addresses are not compared here: under the sanitizers that is
// not a constant expression.)
constexpr std::array<Step, kSteps> make_order() {
  std::array<Step, kSteps> order{};
  std::array<bool, kSteps> taken{};
  for (const Entry& e : kClasses) {
    if (e.step == 0) continue;
    if (e.step < 0 || e.step > static_cast<int>(kSteps) || taken[static_cast<std::size_t>(e.step - 1)] || !e.freeable)
      throw "clean-up steps must be 1 to 46, once each, on classes that can be freed";
    taken[static_cast<std::size_t>(e.step - 1)] = true;
    order[static_cast<std::size_t>(e.step - 1)] = e.s;
  }
  for (bool t : taken)
    if (!t) throw "a clean-up step is missing";
  return order;
}
constexpr std::array<Step, kSteps> kOrder = make_order();

}  // namespace

void run_cleanup(RunContext& ctx) {
  ctx.out.line(kSeparator);
  if (ctx.reg.cleanup_disabled) {
    ctx.out.line("Automatic cleanup of the allocated resources is disabled.");
    return;
  }
  bool wrote = false;
  for (const Step& step : kOrder) {
    for (int i = 0; i < kHandleSlots; ++i) {
      PvxjHandle* slot = ctx.reg.handle_slot(step.table, i);
      if (!slot || *slot == 0) continue;
      ctx.flush();  // the log is complete before the API runs
      int32_t rc = step.deallocate(slot);
      std::string line(step.function);
      line.append("( ").append(std::to_string(i)).append(" ) ended with RC = ").append(std::to_string(rc));
      ctx.out.line(line);
      wrote = true;
    }
  }
  if (wrote) {
    ctx.out.line("");
    ctx.out.line("Cleanup done by Test Tool");
    ctx.out.line(kSeparator);
  }
}

}  // namespace kr
