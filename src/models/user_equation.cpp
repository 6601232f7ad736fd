#include "models/user_equation.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

#include "models/catalogue.h"
#include "models/model_evaluator.h"
#include "textio/console.h"
#include "textio/text_utils.h"

namespace quillon::models {
namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool is_letter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool is_word(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

const char* const function_list = "SQRT, EXP, LN, LOG, ABS, SIN, COS, TAN, ASIN, ACOS, ATAN, TANH";

bool is_function(const std::string& word) {
  return std::any_of(function_names.begin(), function_names.end(),
                     [&](const FunctionName& f) { return textio::trimmed(f.name) == word; });
}

// Names the engine reads itself: X1, X2, C1, P1.. and the functions.
bool reserved(const std::string& word) {
  return word == "Y" || word == "X1" || word == "X2" || word == "X3" || is_function(word) ||
         (word.size() == 2 && (word[0] == 'P' || word[0] == 'C') && word[1] >= '1' &&
          word[1] <= '9');
}

// The engine's account of the equation: its message when it cannot build or evaluate it.
std::string engine_message(const std::string& text, int np, int nx) {
  std::istringstream no_input;
  std::ostringstream said;
  textio::Console console(no_input, said);
  ModelEvaluator evaluator(console);
  std::string eq = textio::fixed_text(text, equation_length);
  display_form(eq);
  encode_function_names(eq);
  std::vector<double> values(static_cast<std::size_t>(np + nx + 1), 1.0);
  try {
    evaluator.func(1, 1, np, nx, eq, values);
  } catch (const std::exception& e) {
    return e.what();
  }
  // One line, as a command-line message reads.
  std::string line = said.str();
  std::replace(line.begin(), line.end(), '\n', ' ');
  line = std::string(textio::trimmed(line));
  line.erase(0, line.find_first_not_of(' '));
  if (line.starts_with("WARNING: "))
    line.erase(0, 9);
  return line;
}

}  // namespace

std::variant<UserEquation, std::string> user_equation(std::string_view text,
                                                      const std::vector<std::string>& names) {
  if (names.empty() || names.size() > static_cast<std::size_t>(max_user_parameters))
    return "--params names one to " + std::to_string(max_user_parameters) + " parameters, not " +
           std::to_string(names.size()) + ".";
  for (std::size_t k = 0; k < names.size(); ++k) {
    const std::string& name = names[k];
    if (name.empty() || !is_letter(name[0]) || !std::all_of(name.begin(), name.end(), is_word))
      return "the parameter name \"" + name +
             "\" is not a name: letters, digits and _, a letter first.";
    const std::string word = upper(name);
    if (reserved(word) && word != "P" + std::to_string(k + 1))
      return "the parameter name " + name +
             " is one the equation reads otherwise (X1, X2, C1, P1.. or a function).";
    for (std::size_t j = 0; j < k; ++j) {
      if (upper(names[j]) == word)
        return "the parameter name " + name + " is given twice.";
    }
  }
  const std::size_t equal = text.find('=');
  if (equal == std::string_view::npos || upper(textio::trimmed(text.substr(0, equal))) != "Y")
    return std::string("the equation reads \"Y = ...\", the model after the equal sign.");

  UserEquation result;
  result.names = names;
  result.text = "Y =";
  int depth = 0;
  for (std::size_t i = equal + 1; i < text.size();) {
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '.') {
      // A number, with the letters of an exponent that belong to it.
      std::size_t end = i;
      while (end < text.size() &&
             (std::isdigit(static_cast<unsigned char>(text[end])) != 0 || text[end] == '.'))
        ++end;
      result.text.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (!is_letter(c)) {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth < 0)
        return std::string("a ')' closes no '(' in the equation.");
      result.text.push_back(c);
      ++i;
      continue;
    }
    const std::size_t start = i;
    std::size_t end = i;
    while (end < text.size() && is_word(text[end]))
      ++end;
    const std::string_view original = text.substr(start, end - start);
    const std::string word = upper(original);
    i = end;
    if (word[0] == 'E' && start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1])))
      return "the number before " + std::string(original) +
             " has an exponent, which the equation cannot take: write 1500 for 1.5E3.";
    const auto named = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& n) { return upper(n) == word; });
    if (named != names.end()) {
      result.text.append("P").append(std::to_string(named - names.begin() + 1));
      continue;
    }
    const bool parameter = word.size() == 2 && word[0] == 'P' && word[1] >= '1' &&
                           word[1] < '1' + static_cast<int>(names.size());
    if (!(parameter || word == "X1" || word == "X2" || word == "C1" || is_function(word))) {
      std::string known;
      for (std::size_t k = 0; k < names.size(); ++k)
        known.append(k == 0 ? "" : ", ").append(names[k]);
      return "the equation names " + std::string(original) + ", which is none of its parameters (" +
             known + " or P1 to P" + std::to_string(names.size()) +
             "), X1, X2, C1 or a function (" + function_list + ").";
    }
    result.nx = word == "X2" ? 2 : result.nx;
    result.text.append(word);
  }
  if (depth > 0)
    return "the equation opens " + std::to_string(depth) + " '(' more than it closes.";
  if (result.text.size() >= equation_length)
    return "the equation is longer than " + std::to_string(equation_length - 1) + " characters.";
  const std::string said = engine_message(result.text, static_cast<int>(names.size()), result.nx);
  if (!said.empty())
    return "the equation cannot be read: " + said;
  return result;
}

int parameter_index(const UserEquation& equation, std::string_view name) {
  const std::string word = upper(name);
  for (std::size_t k = 0; k < equation.names.size(); ++k) {
    if (upper(equation.names[k]) == word || word == std::string("P").append(std::to_string(k + 1)))
      return static_cast<int>(k);
  }
  return -1;
}

int user_model(const UserEquation& equation) {
  for (const Model& m : model_table) {
    if (m.key.empty() && m.nx == equation.nx)
      return m.number;
  }
  return 0;
}

}  // namespace quillon::models
