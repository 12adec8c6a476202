#include "condition.h"

#include "filter.h"

namespace pvxjsim {

struct CondNode {
  enum Kind { kOr, kAnd, kNot, kCompare } kind;
  std::unique_ptr<CondNode> left, right;
  // kCompare: operands and operator.
  struct Operand {
    enum { kMember, kRc, kNumber, kText } kind;
    std::string member;
    double number = 0;
    std::string text;
  } a, b;
  std::string op;
};

namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxLength = 64 * 1024;

class CondParser {
 public:
  CondParser(std::vector<Token> toks, std::vector<std::string>* members)
      : toks_(std::move(toks)), members_(members) {}

  std::unique_ptr<CondNode> Parse(std::string* error) {
    auto n = Or(0);
    if (n && Peek().type != Tok::kEnd) n = Fail("unexpected text");
    if (!n) *error = error_;
    return n;
  }

 private:
  const Token& Peek() const { return toks_[pos_]; }
  const Token& Next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
  bool IsWord(const char* w) const { return Peek().type == Tok::kIdent && Peek().text == w; }
  std::unique_ptr<CondNode> Fail(const std::string& msg) {
    if (error_.empty()) error_ = msg + " at position " + std::to_string(Peek().pos);
    return nullptr;
  }

  std::unique_ptr<CondNode> Or(int depth) {
    auto left = And(depth);
    while (left && IsWord("OR")) {
      Next();
      auto right = And(depth);
      if (!right) return nullptr;
      auto n = std::make_unique<CondNode>();
      n->kind = CondNode::kOr;
      n->left = std::move(left);
      n->right = std::move(right);
      left = std::move(n);
    }
    return left;
  }
  std::unique_ptr<CondNode> And(int depth) {
    auto left = Unary(depth);
    while (left && IsWord("AND")) {
      Next();
      auto right = Unary(depth);
      if (!right) return nullptr;
      auto n = std::make_unique<CondNode>();
      n->kind = CondNode::kAnd;
      n->left = std::move(left);
      n->right = std::move(right);
      left = std::move(n);
    }
    return left;
  }
  std::unique_ptr<CondNode> Unary(int depth) {
    if (depth > kMaxDepth) return Fail("nested too deeply");
    if (IsWord("NOT")) {
      Next();
      auto inner = Unary(depth + 1);
      if (!inner) return nullptr;
      auto n = std::make_unique<CondNode>();
      n->kind = CondNode::kNot;
      n->left = std::move(inner);
      return n;
    }
    if (Peek().type == Tok::kLParen) {
      Next();
      auto inner = Or(depth + 1);
      if (!inner) return nullptr;
      if (Peek().type != Tok::kRParen) return Fail("expected ')'");
      Next();
      return inner;
    }
    auto n = std::make_unique<CondNode>();
    n->kind = CondNode::kCompare;
    if (!Operand(&n->a)) return nullptr;
    if (Peek().type != Tok::kOp) return Fail("expected a comparison");
    n->op = Next().text;
    if (n->op == "!=") n->op = "<>";
    if (!Operand(&n->b)) return nullptr;
    return n;
  }
  bool Operand(CondNode::Operand* o) {
    const Token& t = Peek();
    switch (t.type) {
      case Tok::kIdent:
        if (t.text == "AND" || t.text == "OR" || t.text == "NOT") {
          Fail("expected a member or a value");
          return false;
        }
        if (t.text == "_RC") {
          o->kind = CondNode::Operand::kRc;
        } else {
          o->kind = CondNode::Operand::kMember;
          o->member = t.raw;
          members_->push_back(t.raw);
        }
        break;
      case Tok::kInt:
        o->kind = CondNode::Operand::kNumber;
        o->number = static_cast<double>(t.number);
        break;
      case Tok::kFloat:
        o->kind = CondNode::Operand::kNumber;
        o->number = t.real;
        break;
      case Tok::kString:
        o->kind = CondNode::Operand::kText;
        o->text = t.text;
        break;
      default:
        Fail("expected a member or a value");
        return false;
    }
    Next();
    return true;
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  std::vector<std::string>* members_;
  std::string error_;
};

// A value as the comparison sees it: absent, a number or a text.
struct Val {
  enum { kNone, kNum, kText } kind = kNone;
  double num = 0;
  std::string text;
};

Val Resolve(const CondNode::Operand& o, const Condition::Lookup& lookup, int32_t rc) {
  Val v;
  switch (o.kind) {
    case CondNode::Operand::kRc:
      v.kind = Val::kNum;
      v.num = rc;
      break;
    case CondNode::Operand::kNumber:
      v.kind = Val::kNum;
      v.num = o.number;
      break;
    case CondNode::Operand::kText:
      v.kind = Val::kText;
      v.text = o.text;
      break;
    case CondNode::Operand::kMember: {
      FieldValue f = lookup(o.member);
      if (auto* l = std::get_if<int32_t>(&f)) {
        v.kind = Val::kNum;
        v.num = *l;
      } else if (auto* d = std::get_if<double>(&f)) {
        v.kind = Val::kNum;
        v.num = *d;
      } else if (auto* s = std::get_if<std::string>(&f)) {
        v.kind = Val::kText;
        v.text = *s;
      }
      break;
    }
  }
  return v;
}

bool Compare(const Val& a, const Val& b, const std::string& op) {
  // Absent values and values of different kinds are only ever "different".
  if (a.kind == Val::kNone || b.kind == Val::kNone || a.kind != b.kind) return op == "<>";
  int c;
  if (a.kind == Val::kNum)
    c = a.num < b.num ? -1 : (a.num > b.num ? 1 : 0);
  else
    c = a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
  if (op == "=") return c == 0;
  if (op == "<>") return c != 0;
  if (op == "<") return c < 0;
  if (op == "<=") return c <= 0;
  if (op == ">") return c > 0;
  return c >= 0;
}

bool Eval(const CondNode& n, const Condition::Lookup& lookup, int32_t rc) {
  switch (n.kind) {
    case CondNode::kOr: return Eval(*n.left, lookup, rc) || Eval(*n.right, lookup, rc);
    case CondNode::kAnd: return Eval(*n.left, lookup, rc) && Eval(*n.right, lookup, rc);
    case CondNode::kNot: return !Eval(*n.left, lookup, rc);
    case CondNode::kCompare:
      return Compare(Resolve(n.a, lookup, rc), Resolve(n.b, lookup, rc), n.op);
  }
  return false;
}

std::string TypeErrorOf(const CondNode& n,
                        const std::function<Condition::MemberKind(const std::string&)>& kind_of) {
  using MK = Condition::MemberKind;
  if (n.kind != CondNode::kCompare) {
    std::string e = TypeErrorOf(*n.left, kind_of);
    if (e.empty() && n.right) e = TypeErrorOf(*n.right, kind_of);
    return e;
  }
  // 'n' number, 't' text; members of other kinds are refused outright.
  auto kind = [&](const CondNode::Operand& o, std::string* error) -> char {
    switch (o.kind) {
      case CondNode::Operand::kRc:
      case CondNode::Operand::kNumber: return 'n';
      case CondNode::Operand::kText: return 't';
      case CondNode::Operand::kMember: break;
    }
    switch (kind_of(o.member)) {
      case MK::kNumber: return 'n';
      case MK::kText: return 't';
      case MK::kBinary: *error = "\"" + o.member + "\" is a binary member and cannot be compared"; break;
      case MK::kStructure:
        *error = "\"" + o.member + "\" is a structure; compare one of its members";
        break;
    }
    return 0;
  };
  auto describe = [](const CondNode::Operand& o, char k) {
    std::string what = k == 'n' ? "a number" : "a text";
    switch (o.kind) {
      case CondNode::Operand::kMember: return "\"" + o.member + "\" (" + what + ")";
      case CondNode::Operand::kRc: return std::string("_RC (a number)");
      default: return what;
    }
  };
  std::string error;
  char a = kind(n.a, &error);
  if (!error.empty()) return error;
  char b = kind(n.b, &error);
  if (!error.empty()) return error;
  if (a != b) return "compares " + describe(n.a, a) + " with " + describe(n.b, b);
  return {};
}

}  // namespace

Condition::~Condition() = default;

std::string Condition::TypeError(const std::function<MemberKind(const std::string&)>& kind_of) const {
  return TypeErrorOf(*root_, kind_of);
}

std::unique_ptr<Condition> Condition::Parse(const std::string& text, std::string* error) {
  if (text.size() > kMaxLength) {
    *error = "condition too long";
    return nullptr;
  }
  std::vector<Token> toks;
  if (!Lex(text, &toks, error, true)) return nullptr;
  std::unique_ptr<Condition> c(new Condition);
  CondParser p(std::move(toks), &c->members_);
  c->root_ = p.Parse(error);
  if (!c->root_) return nullptr;
  return c;
}

bool Condition::Evaluate(const Lookup& lookup, int32_t rc) const {
  return Eval(*root_, lookup, rc);
}

bool EvaluateCondition(const std::string& text, const Condition::Lookup& lookup, int32_t rc) {
  bool blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
  if (blank) return true;
  std::string error;
  auto c = Condition::Parse(text, &error);
  return c && c->Evaluate(lookup, rc);
}

}  // namespace pvxjsim
