// Transition, start and exit conditions: one small expression language over
// the members of a container, read with the lexer the filters use.
//
//   condition  := or-expr
//   or-expr    := and-expr { OR and-expr }
//   and-expr   := unary { AND unary }
//   unary      := NOT unary | '(' or-expr ')' | comparison
//   comparison := operand op operand
//   operand    := MEMBER | _RC | number | 'text'
//   op         := = | <> | != | < | <= | > | >=
//
// MEMBER is a qualified member name as written in the structure
// ("Customer.Name", "Comments[2]"); _RC is the return code of the program that
// ran. A member that is not set compares unequal to every value (so `<>` is
// true) and neither less nor greater; numbers compare as numbers, texts byte
// by byte.
#ifndef PVXJSIM_CONDITION_H
#define PVXJSIM_CONDITION_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "record.h"

namespace pvxjsim {

struct CondNode;

class Condition {
 public:
  // Nullptr and *error (with the position) when text does not parse.
  static std::unique_ptr<Condition> Parse(const std::string& text, std::string* error);
  ~Condition();

  // The member names the condition reads (without _RC), for checking them
  // against a structure.
  const std::vector<std::string>& members() const { return members_; }

  // What a member holds, for checking comparisons before anything runs.
  enum class MemberKind { kNumber, kText, kBinary, kStructure };
  // Empty when every comparison sets a number against a number or a text
  // against a text; else what is wrong. A comparison of unlike values would
  // only ever be false (or true for <>), so a path would be taken or skipped
  // without a word. kind_of is asked only for members of members().
  std::string TypeError(const std::function<MemberKind(const std::string&)>& kind_of) const;

  using Lookup = std::function<FieldValue(const std::string& member)>;
  bool Evaluate(const Lookup& lookup, int32_t rc) const;

 private:
  Condition() = default;
  std::unique_ptr<CondNode> root_;
  std::vector<std::string> members_;
};

// Parses and evaluates in one go; a condition that does not parse is false.
// Empty text (no condition) is true.
bool EvaluateCondition(const std::string& text, const Condition::Lookup& lookup, int32_t rc);

}  // namespace pvxjsim

#endif
