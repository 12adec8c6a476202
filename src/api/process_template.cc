// The process template family. So far: a template's name (also for every
// element of a vector) and deallocation, and the vector's size and
// deallocation.
#include "api/catalogue.h"
#include "driver/keywords.h"

namespace kr::api {

Family& process_template_family() {
  static Family f{
      "PvxjProcessTemplate",
      {kPVXJPROCESSTEMPLATE},
      {
          {"PvxjProcessTemplateDeallocate", Result::kRc, {{kProcessTemplateHdl, Form::kIn}},
           [](Call& c) { c.rc = PvxjProcessTemplateDeallocate(c.slot(0)); }, kDealloc},
          {"PvxjProcessTemplateName", Result::kText, {{kProcessTemplateHdl, Form::kIn}, {kBufferLength, Form::kULong}},
           [](Call& c) { c.text = PvxjProcessTemplateName(c.h(0), c.buffer(), c.buffer_length()); }, kVectorForm},
          {"PvxjProcessTemplateVectorDeallocate", Result::kRc, {{kProcessTemplateVectorHdl, Form::kIn}},
           [](Call& c) { c.rc = PvxjProcessTemplateVectorDeallocate(c.slot(0)); }, kDealloc},
          {"PvxjProcessTemplateVectorSize", Result::kULong, {{kProcessTemplateVectorHdl, Form::kIn}},
           [](Call& c) { c.ulong_value = PvxjProcessTemplateVectorSize(c.h(0)); }, kVectorSize},
      },
      {}};
  return f;
}

}  // namespace kr::api
