#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "textio/csv.h"

namespace quillon::textio {
namespace {

TEST(CsvField, QuotedOnlyWhenItMustBe) {
  const struct {
    const char* text;
    const char* field;
  } rows[] = {
      {"plain text", "plain text"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\r", "\"cr\r\""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(csv_field(row.text), row.field);
  }
}

TEST(CsvNumber, ShortestFormThatReadsBack) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double v;
    const char* text;
  } rows[] = {
      {0.1, "0.1"},
      {2.0, "2"},
      {-0.0, "-0"},
      {1e-300, "1e-300"},
      {1.0 / 3.0, "0.3333333333333333"},
      {123456789012.0, "123456789012"},
      {inf, "Inf"},
      {-inf, "-Inf"},
      {std::nan(""), "NaN"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const std::string text = csv_number(row.v);
    EXPECT_EQ(text, row.text);
    if (std::isfinite(row.v)) {
      double back = 0.0;
      std::from_chars(text.data(), text.data() + text.size(), back);
      EXPECT_EQ(back, row.v);
    }
  }
}

}  // namespace
}  // namespace quillon::textio
