#include "models/catalogue.h"

#include "data_import/text_utils.h"

namespace quillon::models {

namespace {

constexpr std::array<std::string_view, 6> equations = {
    "y = P2*X1 / (X1 + P1)",
    "y = P2*(X1^P3) / ( X1^P3 + P1^P3 )",
    "y = (P2*X1/(C1 + X2 / P3)) / (P1 + X1/(C1 + X2 / P3))",
    "y = (P2*X1/(C1 + X2 / P3)) / (X1 + P1)",
    "y = (P2*X1/(C1 + X2 / P3)) / (P1/(C1 + X2 / P3) + X1)",
    "y = P2 * X1 / (P1 * (C1 + X2 / P3) + X1*(C1 + X2 / P4))",
};

}  // namespace

void funchar(std::string& text, int model) {
  const std::string_view eq =
      model >= 1 && model <= static_cast<int>(equations.size()) ? equations[model - 1] : "";
  text = fixed_text(eq, equation_length);
}

void replace_1_to_4(std::string_view old, std::string_view letter, std::string& text, int& found) {
  found = 0;
  // Both lengths are taken before the scan; replacements keep the text's length.
  const std::size_t l = s_len_trim(old);
  const std::size_t m = s_len_trim(text);
  if (l == 0 || l > m)
    return;
  const std::string_view name = old.substr(0, l);
  for (std::size_t i = 0; i + l <= m; ++i) {
    if (std::string_view(text).substr(i, l) != name)
      continue;
    text[i] = ' ';
    text[i + 1] = letter.empty() ? ' ' : letter[0];
    for (std::size_t k = 2; k < l; ++k)
      text[i + k] = ' ';
    found = 1;
  }
}

void replace(std::string_view old, std::string_view letter, std::string& text, int& found) {
  found = 0;
  const char ch = letter.empty() ? ' ' : letter[0];
  for (;;) {
    const std::size_t pos = trimmed(text).find(old.substr(0, 2));
    if (pos == std::string_view::npos)
      return;
    // One character in place of two: the rest moves left, a blank fills the end.
    text[pos] = ch;
    text.erase(pos + 1, 1);
    text.push_back(' ');
    found = 1;
  }
}

void display_form(std::string& text) {
  removesp(text);
  uppercase(text);
}

void encode_function_names(std::string& text) {
  for (const FunctionName& fn : function_names) {
    int found = 0;
    replace_1_to_4(fn.name, std::string_view(&fn.letter, 1), text, found);
  }
}

}  // namespace quillon::models
