#include "api/catalogue.h"

#include <algorithm>
#include <cstdlib>

#include "driver/keywords.h"
#include "driver/run_context.h"
#include "eval/registry.h"

namespace kr::api {

// Each family file defines its table; the order here fixes the keyword ids.
Family& execution_service_family();
Family& process_template_family();

namespace {

struct Catalogue {
  std::vector<const Family*> families;
  std::vector<const Row*> by_id;  // index: id - kFirstApiId

  Catalogue() {
    // The families are built once; ids and back links are filled in here.
    Family* all[] = {&execution_service_family(), &process_template_family()};
    int id = kFirstApiId;
    for (Family* f : all) {
      families.push_back(f);
      for (Row& r : f->rows) {
        r.id = id++;
        r.family = f;
        for (const Param& p : r.params) {
          bool known = std::any_of(f->accepted.begin(), f->accepted.end(),
                                   [&](const Param& a) { return a.keyword == p.keyword; });
          if (!known) f->accepted.push_back(p);
        }
      }
    }
    if (id - 1 > kLastApiId) std::abort();  // the id range is part of the keyword table's design
    by_id.assign(static_cast<std::size_t>(id - kFirstApiId), nullptr);
    for (const Family* f : families)
      for (const Row& r : f->rows) by_id[static_cast<std::size_t>(r.id - kFirstApiId)] = &r;
  }
};

const Catalogue& catalogue() {
  static const Catalogue c;
  return c;
}

}  // namespace

std::string_view EnumTable::name_of(int32_t value) const {
  for (const EnumEntry& e : entries)
    if (e.value == value) return e.name;
  return "???";
}

const std::vector<const Family*>& families() { return catalogue().families; }

const Row* row_for(int id) {
  const Catalogue& c = catalogue();
  if (id < kFirstApiId || id >= kFirstApiId + static_cast<int>(c.by_id.size())) return nullptr;
  return c.by_id[static_cast<std::size_t>(id - kFirstApiId)];
}

const Family* family_for_class(int class_id) {
  for (const Family* f : families())
    if (std::find(f->classes.begin(), f->classes.end(), class_id) != f->classes.end()) return f;
  return nullptr;
}

int param_index(const Row& row, int keyword) {
  for (std::size_t i = 0; i < row.params.size(); ++i)
    if (row.params[i].keyword == keyword) return static_cast<int>(i);
  return -1;
}

PvxjHandle Call::h(std::size_t k) const {
  if (k == 0 && vector_form) return element ? *element : 0;
  return ctx.reg.handle(row.params[k].keyword, v[k].number);
}

PvxjHandle* Call::slot(std::size_t k) const {
  if (k == 0 && vector_form) return element;
  return ctx.reg.handle_slot(row.params[k].keyword, v[k].number);
}

const char* Call::s(std::size_t k) const {
  const Value& val = v[k];
  return (val.null || !val.given) ? nullptr : val.text.c_str();
}

unsigned char* Call::correl(std::size_t k) const {
  const Value& val = v[k];
  return (val.null || !val.given) ? nullptr : ctx.reg.correl_id(val.number);
}

}  // namespace kr::api
