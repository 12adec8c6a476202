#include "check/api_view.h"

#include "api/vectors.h"

namespace kr::check {

std::optional<ApiMethod> api_method(int keyword_id) {
  const api::Row* row = api::row_for(keyword_id);
  if (!row || (row->flags & api::kUnserved)) return std::nullopt;  // the run answers TC0006
  ApiMethod m;
  m.keyword = row->keyword;
  switch (row->result) {
    case api::Result::kRc:
      m.expect = ApiMethod::Expect::kRc;
      break;
    case api::Result::kText:
    case api::Result::kDateTime:  // its text is compared
      m.expect = ApiMethod::Expect::kText;
      break;
    case api::Result::kBool:
      m.expect = ApiMethod::Expect::kBool;
      break;
    case api::Result::kLong:
      m.expect = ApiMethod::Expect::kLong;
      break;
    case api::Result::kULong:
      m.expect = ApiMethod::Expect::kULong;
      break;
    case api::Result::kDouble:
      m.expect = ApiMethod::Expect::kDouble;
      break;
    case api::Result::kEnum:  // one token, a name compared without case
      m.expect = ApiMethod::Expect::kWord;
      break;
    case api::Result::kNone:
    case api::Result::kObject:
      m.expect = ApiMethod::Expect::kNothing;
      break;
  }
  // A family step compares a list text with XpValue (the person and error lists).
  if (row->flags & api::kXpText) m.expect = ApiMethod::Expect::kText;
  if (row->flags & api::kOwnReport) m.expect = ApiMethod::Expect::kNothing;
  m.like = (row->flags & api::kLike) != 0;
  m.rc_first = (row->flags & api::kRcAndValue) != 0;
  m.vector_form = (row->flags & api::kVectorForm) != 0;
  m.own_steps = row->resolve != nullptr;
  m.params = row->params;
  m.family = api::family_of(*row);
  // As the executor decides: the receiver's vector, unless the row takes
  // that vector as a parameter of its own.
  if (!row->params.empty() && row->params[0].form == api::Form::kIn)
    if (const api::VectorOps* ops = api::vector_ops_for_element(row->params[0].keyword))
      if (api::param_index(*row, ops->vector_type) < 0) m.receiver_vector = ops->vector_type;
  return m;
}

bool is_api_class(int class_id) { return api::family_for_class(class_id) != nullptr; }

}  // namespace kr::check
