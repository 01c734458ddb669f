// The compiler: a syntax tree becomes a program, and Regex::Compile runs the
// parser and the compiler over a pattern.
#include <new>

#include "height/regex/parser.hpp"
#include "height/regex/program.hpp"
#include "height/regex_engine.hpp"

namespace zarvo::regex {
namespace {

class Compiler {
 public:
  Compiler(const std::vector<Node>& nodes, Program& program) : nodes_(nodes), prog_(program) {}

  void Emit(int index) {
    const Node& n = nodes_[static_cast<size_t>(index)];
    switch (n.kind) {
      case Kind::Empty:
        break;
      case Kind::Char:
        Add({.op = Op::Char,
             .a = prog_.ignoreCase ? Canonical(static_cast<char16_t>(n.value)) : n.value});
        break;
      case Kind::Any:
        Add({.op = Op::Any});
        break;
      case Kind::Class:
        Add({.op = Op::Class, .a = n.value});
        break;
      case Kind::Bol:
        Add({.op = Op::Bol});
        break;
      case Kind::Eol:
        Add({.op = Op::Eol});
        break;
      case Kind::WordBoundary:
        Add({.op = Op::WordBoundary});
        break;
      case Kind::NotWordBoundary:
        Add({.op = Op::NotWordBoundary});
        break;
      case Kind::Backref:
        Add({.op = Op::Backref, .a = n.value});
        break;
      case Kind::Group:
        Add({.op = Op::GroupOpen, .a = n.value});
        Emit(n.children[0]);
        Add({.op = Op::GroupClose, .a = n.value});
        break;
      case Kind::Look: {
        const int start = Add({.op = Op::LookStart, .flag = n.value != 0});
        Emit(n.children[0]);
        Add({.op = Op::LookEnd});
        At(start).a = Here();
        break;
      }
      case Kind::Concat:
        for (int child : n.children) {
          Emit(child);
        }
        break;
      case Kind::Alternation:
        EmitAlternation(n);
        break;
      case Kind::Repeat:
        EmitRepeat(n);
        break;
    }
  }

 private:
  // Each alternative but the last behind a split to the next one, and a jump
  // from its end to the end of them all.
  void EmitAlternation(const Node& n) {
    std::vector<int> jumps;
    for (size_t k = 0; k < n.children.size(); ++k) {
      int split = -1;
      if (k + 1 < n.children.size()) {
        split = Add({.op = Op::Split});
      }
      if (split >= 0) {
        At(split).a = Here();
      }
      Emit(n.children[k]);
      if (k + 1 < n.children.size()) {
        jumps.push_back(Add({.op = Op::Jump}));
        At(split).b = Here();
      }
    }
    for (int j : jumps) {
      At(j).a = Here();
    }
  }

  void EmitRepeat(const Node& n) {
    if (n.max == 0) {
      return;  // x{0} matches the empty text, and its groups stay unset
    }
    const Node& child = nodes_[static_cast<size_t>(n.children[0])];
    if (child.kind == Kind::Char || child.kind == Kind::Any || child.kind == Kind::Class) {
      // One unit per round and no groups: backtracking needs only a count.
      Add({.op = Op::Star, .flag = n.greedy, .b = n.min, .c = n.max});
      Emit(n.children[0]);
      return;
    }
    const int loop = prog_.loops++;
    Add({.op = Op::LoopInit, .a = loop});
    const int head = Add({.op = Op::Loop, .flag = n.greedy, .a = loop, .b = n.min, .c = n.max});
    Add({.op = Op::IterStart, .a = loop, .b = n.firstGroup, .c = n.endGroup});
    Emit(n.children[0]);
    Add({.op = Op::IterEnd, .a = loop, .b = n.min, .c = n.max, .d = head});
    At(head).d = Here();
  }

  int Add(Inst in) {
    prog_.code.push_back(in);
    return Here() - 1;
  }
  int Here() const { return static_cast<int>(prog_.code.size()); }
  Inst& At(int pc) { return prog_.code[static_cast<size_t>(pc)]; }

  const std::vector<Node>& nodes_;
  Program& prog_;
};

}  // namespace

Regex::Regex(std::unique_ptr<Program> program) : program_(std::move(program)) {}
Regex::~Regex() = default;

std::unique_ptr<Regex> Regex::Compile(std::u16string_view pattern, Options options) {
  try {
    return CompileProgram(pattern, options);
  } catch (const std::bad_alloc&) {
    return nullptr;  // a pattern too large for memory is no valid pattern
  }
}

std::unique_ptr<Regex> Regex::CompileProgram(std::u16string_view pattern, Options options) {
  auto program = std::make_unique<Program>();
  const std::optional<SyntaxTree> tree = Parse(pattern, program->classes);
  if (!tree) {
    return nullptr;
  }
  program->groups = tree->groups;
  program->ignoreCase = options.ignoreCase;
  program->multiline = options.multiline;
  Compiler(tree->nodes, *program).Emit(tree->root);
  program->code.push_back({.op = Op::Match});
  const Inst& first = program->code.front();
  if (first.op == Op::Char) {
    const auto unit = static_cast<char16_t>(first.a);
    program->firstUnits.push_back(unit);
    if (options.ignoreCase) {
      for (const auto& [canonical, variant] : CaseVariants()) {
        if (canonical == unit) {
          program->firstUnits.push_back(variant);
        }
      }
    }
  }
  return std::unique_ptr<Regex>(new Regex(std::move(program)));
}

int Regex::GroupCount() const { return program_->groups; }

}  // namespace zarvo::regex
