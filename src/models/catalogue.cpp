#include "models/catalogue.h"

#include "textio/text_utils.h"

namespace quillon::models {

void funchar(std::string& text, int model) {
  const Model* m = find_model(model);
  text = textio::fixed_text(m != nullptr ? m->equation : "", equation_length);
}

void replace_1_to_4(std::string_view old, std::string_view letter, std::string& text, int& found) {
  found = 0;
  // Both lengths are taken before the scan; replacements keep the text's length.
  const std::size_t l = textio::s_len_trim(old);
  const std::size_t m = textio::s_len_trim(text);
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
    const std::size_t pos = textio::trimmed(text).find(old.substr(0, 2));
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
  textio::remove_sp_tab_ctrl(text);
  textio::uppercase(text);
}

void encode_function_names(std::string& text) {
  for (const FunctionName& fn : function_names) {
    int found = 0;
    replace_1_to_4(fn.name, std::string_view(&fn.letter, 1), text, found);
  }
}

}  // namespace quillon::models
