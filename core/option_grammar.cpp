#include "core/option_grammar.h"

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

const OptionRule* rule_for(char letter, const std::vector<OptionRule>& rules) {
  for (const OptionRule& rule : rules) {
    const bool flag = rule.kind == OptionKind::flag;
    if (flag ? upper(letter) == rule.letter : letter == rule.letter) return &rule;
  }
  return nullptr;
}

}  // namespace

std::vector<OptionUse> read_options(const std::vector<std::string>& arguments, const std::vector<OptionRule>& rules) {
  std::vector<OptionUse> uses;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a.size() < 2 || a[0] != '-') continue;
    const OptionRule* rule = rule_for(a[1], rules);
    if (!rule) continue;
    OptionUse use{rule->letter};
    if (rule->kind == OptionKind::flag) {
      use.on = a[1] == rule->letter;
    } else {
      use.value = a.substr(2);
      if (use.value.empty() && rule->kind == OptionKind::value_or_next && i + 1 < arguments.size()) {
        use.value = arguments[++i];
      }
    }
    uses.push_back(std::move(use));
  }
  return uses;
}
