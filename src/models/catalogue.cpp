#include "models/catalogue.h"

#include <algorithm>
#include <cctype>

#include "textio/text_utils.h"

namespace quillon::models {

std::string parameter_name(int model, int k) {
  const Model* m = find_model(model);
  if (m != nullptr && k >= 0 && k < m->np)
    return std::string(m->parameters[static_cast<std::size_t>(k)].name);
  std::string name = std::to_string(k + 1);
  name.insert(name.begin(), 'P');  // not "P" + ...: GCC 12 warns of a false overlap there
  return name;
}

std::string parameter_name(int model, int k, std::span<const double> best) {
  const Model* m = find_model(model);
  if (m == nullptr || k < 0 || k >= m->np)
    return parameter_name(model, k);
  const Parameter& p = m->parameters[static_cast<std::size_t>(k)];
  for (int j = 0; j < m->np && !p.falling_name.empty(); ++j) {
    const auto u = static_cast<std::size_t>(j);
    if (m->parameters[u].role == Role::hill_coefficient && u < best.size())
      return std::string(best[u] < 0.0 ? p.falling_name : p.rising_name);
  }
  return std::string(p.name);
}

const Model* find_model(std::string_view key_or_number) {
  for (const Model& m : model_table) {
    const bool same_key =
        std::equal(key_or_number.begin(), key_or_number.end(), m.key.begin(), m.key.end(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    // A model without a key (a user's equation) is chosen by --equation alone.
    if (!m.key.empty() && (same_key || key_or_number == std::to_string(m.number)))
      return &m;
  }
  return nullptr;
}

int parameter_index(int model, std::string_view name) {
  const Model* m = find_model(model);
  if (m == nullptr)
    return -1;
  const auto folded = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  for (int k = 0; k < m->np; ++k) {
    const Parameter& p = m->parameters[static_cast<std::size_t>(k)];
    for (const std::string_view known : {p.name, p.falling_name, p.rising_name}) {
      if (!known.empty() && std::equal(name.begin(), name.end(), known.begin(), known.end(),
                                       [&](char a, char b) { return folded(a) == folded(b); }))
        return k;
    }
  }
  if (name.size() == 2 && folded(name[0]) == 'p' && name[1] >= '1' && name[1] < '1' + m->np)
    return name[1] - '1';
  return -1;
}

std::string parameter_unit(int model, int k, std::string_view x1_unit, std::string_view x2_unit,
                           std::string_view y_unit) {
  const Model* m = find_model(model);
  if (m == nullptr || k < 0 || k >= m->np)
    return {};
  switch (m->parameters[static_cast<std::size_t>(k)].role) {
  case Role::half_saturation: return std::string(x1_unit);
  case Role::max_rate: return std::string(y_unit);
  case Role::inhibition_constant: return std::string(x2_unit);
  case Role::hill_coefficient: return {};
  case Role::baseline: return std::string(y_unit);
  case Role::substrate_inhibition: return std::string(x1_unit);
  case Role::user_defined: return {};
  }
  return {};
}

std::string short_name(int model) {
  const Model* m = find_model(model);
  return std::string(m != nullptr ? m->label : "model") + " (" + std::to_string(model) + ")";
}

std::vector<int> group_of(int model) {
  std::vector<int> group;
  const Model* m = find_model(model);
  for (const int other : m != nullptr ? m->group : std::array<int, 4>{}) {
    if (other != 0)
      group.push_back(other);
  }
  return group;
}

void map_starts(int from, int to, std::span<const double> initial, std::span<const double> lower,
                std::span<const double> upper, std::span<double> to_initial,
                std::span<double> to_lower, std::span<double> to_upper) {
  const Model& source = *find_model(from);
  const Model& target = *find_model(to);
  const auto source_index = [&](const Parameter& p) {
    for (int k = 0; k < source.np; ++k) {
      if (source.parameters[static_cast<std::size_t>(k)].general_position == p.general_position)
        return k;
    }
    for (int k = 0; k < source.np; ++k) {
      if (source.parameters[static_cast<std::size_t>(k)].role == p.role)
        return k;
    }
    return -1;
  };
  for (int k = 0; k < target.np; ++k) {
    const auto u = static_cast<std::size_t>(k);
    const Parameter& p = target.parameters[u];
    const int i = source_index(p);
    const auto v = static_cast<std::size_t>(i);
    to_initial[u] = i >= 0 ? initial[v] : p.neutral.initial;
    to_lower[u] = i >= 0 ? lower[v] : p.neutral.lower;
    to_upper[u] = i >= 0 ? upper[v] : p.neutral.upper;
  }
}

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
