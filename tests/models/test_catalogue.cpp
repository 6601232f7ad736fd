#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/catalogue.h"
#include "textio/text_utils.h"

namespace quillon::models {
namespace {

TEST(Funchar, BlankFilledEquationTexts) {
  std::string text;
  funchar(text, 1);
  EXPECT_EQ(text.size(), equation_length);
  EXPECT_EQ(textio::trimmed(text), "y = P2*X1 / (X1 + P1)");
  funchar(text, 6);
  EXPECT_EQ(textio::trimmed(text), "y = P2 * X1 / (P1 * (C1 + X2 / P3) + X1*(C1 + X2 / P4))");
  funchar(text, 10);
  EXPECT_EQ(textio::trimmed(text), "");
}

TEST(DisplayForm, EachModel) {
  const char* expected[] = {
      "Y=P2*X1/(X1+P1)",
      "Y=P2*(X1^P3)/(X1^P3+P1^P3)",
      "Y=(P2*X1/(C1+X2/P3))/(P1+X1/(C1+X2/P3))",
      "Y=(P2*X1/(C1+X2/P3))/(X1+P1)",
      "Y=(P2*X1/(C1+X2/P3))/(P1/(C1+X2/P3)+X1)",
      "Y=P2*X1/(P1*(C1+X2/P3)+X1*(C1+X2/P4))",
  };
  for (int model = 1; model <= 6; ++model) {
    SCOPED_TRACE(model);
    std::string text;
    funchar(text, model);
    display_form(text);
    const std::string before = text;
    encode_function_names(text);  // no catalogue equation names a function
    EXPECT_EQ(text, before);
    EXPECT_EQ(textio::trimmed(text), expected[model - 1]);
    EXPECT_EQ(text.size(), equation_length);
  }
}

struct FunctionCase {
  const char* text;
  const char* encoded;
};

TEST(FunctionNames, EncodedInPlaceKeepingTheLength) {
  const FunctionCase cases[] = {
      {"Y=TANH(A)", "Y= R  (A)"},
      {"Y=ACOS(A)", "Y= X  (A)"},
      {"Y=TAN(A)", "Y= Q (A)"},
      {"Y=TANH(A)+TAN(B)", "Y= R  (A)+ Q (B)"},  // the longer name goes first
      {"Y=LN(A)*LOG(B)", "Y= V(A)* W (B)"},
      {"Y=SQRT(ABS(A))+EXP(B)", "Y= S  ( T (A))+ U (B)"},
      {"Y=ASIN(A)-SIN(A)+COS(A)+ATAN(A)", "Y= Y  (A)- P (A)+ O (A)+ Z  (A)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = textio::fixed_text(c.text, equation_length);
    encode_function_names(text);
    EXPECT_EQ(textio::trimmed(text), c.encoded);
    EXPECT_EQ(text.size(), equation_length);
  }
}

TEST(FunctionNames, FoundFlag) {
  std::string text = textio::fixed_text("Y=COS(A)+COS(B)", equation_length);
  int found = -1;
  replace_1_to_4("COS ", "O", text, found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(textio::trimmed(text), "Y= O (A)+ O (B)");
  replace_1_to_4("COS ", "O", text, found);
  EXPECT_EQ(found, 0);
}

TEST(Replace, ShiftsLeftAndPadsAtTheEnd) {
  std::string text = textio::fixed_text("Y=P2*X1/(X1+P1)", equation_length);
  int found = -1;
  replace("X1", "c", text, found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(textio::trimmed(text), "Y=P2*c/(c+P1)");  // both occurrences, two characters shorter
  EXPECT_EQ(text.size(), equation_length);
  replace("X2", "d", text, found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(textio::trimmed(text), "Y=P2*c/(c+P1)");
}

TEST(Replace, OnlyWithinTheTrimmedText) {
  std::string text = "AP";
  int found = -1;
  replace("P1", "a", text, found);  // the name would need a character past the end
  EXPECT_EQ(found, 0);
  EXPECT_EQ(text, "AP");
}

// The 4pl midpoint takes its name from the fitted direction, and is found by any of them.
TEST(ParameterName, ByTheCurvesDirection) {
  const int fpl = find_model("4pl")->number;
  EXPECT_EQ(parameter_name(fpl, 2, std::vector<double>{10, 100, 30, -1.2}), "IC50");
  EXPECT_EQ(parameter_name(fpl, 2, std::vector<double>{10, 100, 30, 1.2}), "EC50");
  EXPECT_EQ(parameter_name(fpl, 2, std::vector<double>{}), "X50");  // before a fit
  EXPECT_EQ(parameter_name(fpl, 0, std::vector<double>{10, 100, 30, -1.2}), "Bottom");
  for (const char* name : {"X50", "ic50", "EC50", "P3"})
    EXPECT_EQ(parameter_index(fpl, name), 2) << name;
  EXPECT_EQ(find_model("hill")->number, 2);
  EXPECT_EQ(find_model("10"), nullptr);  // a user's equation is chosen by --equation only
}

}  // namespace
}  // namespace quillon::models
