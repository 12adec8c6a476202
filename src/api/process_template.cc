// The process template family. So far its vector class: the vectors that
// queries return are measured and freed here.
#include "api/catalogue.h"
#include "driver/keywords.h"

namespace kr::api {

Family& process_template_family() {
  static Family f{
      "PvxjProcessTemplate",
      {kPVXJPROCESSTEMPLATE},
      {
          {"PvxjProcessTemplateVectorDeallocate", Result::kRc, {{kProcessTemplateVectorHdl, Form::kIn}},
           [](Call& c) { c.rc = PvxjProcessTemplateVectorDeallocate(c.slot(0)); }, kDealloc},
          {"PvxjProcessTemplateVectorSize", Result::kULong, {{kProcessTemplateVectorHdl, Form::kIn}},
           [](Call& c) { c.ulong_value = PvxjProcessTemplateVectorSize(c.h(0)); }, kVectorSize},
      },
      {}};
  return f;
}

}  // namespace kr::api
