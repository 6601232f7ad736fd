// quillon-batch run as a user runs it, in a scratch folder: its outputs, its exit
// statuses and its refusals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "batch/model_expected.h"
#include "batch/table_expected.h"
#include "batch/weight_expected.h"
#include "models/catalogue.h"
#include "support/test_support.h"
#include "textio/csv.h"

namespace quillon::batch {
namespace {

namespace fs = std::filesystem;

const std::string examples = QUILLON_SOURCE_DIR "/examples";
const std::string reports = QUILLON_SOURCE_DIR "/tests/report/data";
const std::string batch_data = QUILLON_SOURCE_DIR "/tests/batch/data";
const std::vector<std::string> example_stems = {
    "competitive_inhibition", "help_example_m4",  "hill_sigmoidal",
    "michaelis_menten",       "mixed_inhibition", "uncompetitive_inhibition"};

// The fields of one CSV row, quotes removed.
std::vector<std::string> csv_fields(const std::string& row) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const char ch = row[i];
    if (ch == '"' && quoted && i + 1 < row.size() && row[i + 1] == '"')
      fields.back() += row[++i];
    else if (ch == '"')
      quoted = !quoted;
    else if (ch == ',' && !quoted)
      fields.emplace_back();
    else
      fields.back() += ch;
  }
  return fields;
}

// Every warning of a summary: the column split at ';' as the README tells users to.
std::vector<std::string> split_warnings(const std::string& summary) {
  std::vector<std::string> warnings;
  const std::vector<std::string> rows = testing::split_crlf(summary);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    std::string cell = csv_fields(rows[r]).at(15);
    for (std::size_t at = 0; !cell.empty(); cell.erase(0, at == std::string::npos ? at : at + 2)) {
      at = cell.find("; ");
      warnings.push_back(cell.substr(0, at));
    }
  }
  return warnings;
}

// Each warning a whole one of the forms the README lists.
void expect_known_warnings(const std::string& summary) {
  static const std::regex forms(
      "initial \\w+ \\S+ outside its bounds \\[\\S+, \\S+\\]|"
      "line \\d+ holds \\d+ numbers but the model reads \\d+ per observation: the rest are "
      "ignored( \\(\\d+ such lines\\))?|"
      "\\w+ at its (lower|upper) bound \\S+|\\w+ poorly determined: CV [^;]+|"
      "\\w+ poorly determined: the best fit lies above the highest \\[[SI]\\] \\(\\S+\\)"
      "(, 95 % profile interval \\S+ to (\\S+|not determined))?|"
      "the file's model \\([^)]+\\) is not the preferred one: [^;]+ has \xCE\x94"
      "AICc? \\d+\\.\\d less|"
      "the search stopped short of the optimum: [^;]+|"
      "\\w+: (lower|upper) 95 % limit not determined within its bounds|"
      "the Jacobian is singular at the best fit: [^;]+|runs test: [^;]+|"
      "no residual degrees of freedom: [^;]+|the fit is exact [^;]+|"
      "profiling found a lower sum of squares [^;]+|\\w+: fixed at \\S+ by equal bounds: [^;]+|"
      "the Jacobian or the covariance at the best fit is not a finite number: [^;]+|"
      "the sum of squares is not finite at the (search's )?best fit: [^;]+|"
      "lines? \\d+( to \\d+)? after the [^;]+ at line \\d+ (was|were) not read|"
      "missing values [^;]+");
  for (const std::string& warning : split_warnings(summary))
    EXPECT_TRUE(std::regex_match(warning, forms)) << warning;
}

bool well_formed_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t n = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (n == 0 || i + n > text.size())
      return false;
    unsigned code = n == 1 ? lead : lead & (0x3Fu >> (n - 1));
    for (std::size_t k = 1; k < n; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = (code << 6) | (next & 0x3F);
    }
    const unsigned least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[n] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) || code == 0xFFFE ||
        code == 0xFFFF)
      return false;
    i += n;
  }
  return true;
}

class BatchProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quillon batch " + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }

  // Runs the program with the arguments (a shell command line) in the scratch folder;
  // returns its exit status and keeps its error stream.
  int run(const std::string& arguments) {
    const std::string command = "cd '" + dir_.string() + "' && '" QUILLON_BATCH "' " + arguments +
                                " 2>'" + (dir_ / "stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    err_ = testing::read_file((dir_ / "stderr.txt").string());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void write(const std::string& name, const std::string& content) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }

  std::string read(const std::string& name) { return testing::read_file((dir_ / name).string()); }

  // A summary's rows, each without its `seconds` (wall time) field.
  static std::vector<std::string> rows_without_seconds(const std::string& csv) {
    std::vector<std::string> rows = testing::split_crlf(csv);
    std::size_t seconds = 0;
    for (std::string& row : rows) {
      std::vector<std::string> fields(1);
      bool quoted = false;
      for (const char ch : row) {
        if (ch == '"')
          quoted = !quoted;
        if (ch == ',' && !quoted)
          fields.emplace_back();
        else
          fields.back() += ch;
      }
      if (seconds == 0)
        seconds = static_cast<std::size_t>(std::find(fields.begin(), fields.end(), "seconds") -
                                           fields.begin());
      if (seconds < fields.size())
        fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(seconds));
      row.clear();
      for (const std::string& field : fields)
        row += (row.empty() ? "" : ",") + field;
    }
    return rows;
  }

  // The summary's field of `column` in the row of `file`.
  static std::string field(const std::string& summary, const std::string& file,
                           const std::string& column) {
    const std::vector<std::string> rows = testing::split_crlf(summary);
    const std::vector<std::string> header = csv_fields(rows.at(0));
    const auto at = std::find(header.begin(), header.end(), column) - header.begin();
    for (const std::string& row : rows) {
      const std::vector<std::string> fields = csv_fields(row);
      if (fields.at(0) == file)
        return fields.at(static_cast<std::size_t>(at));
    }
    ADD_FAILURE() << "no row " << file;
    return {};
  }

  // What the interactive program prints for the data file when it is picked and fitted.
  std::string interactive(const std::string& folder) {
    write(folder + "/answers.txt", "1\n\n\nX\n\n");
    const std::string command = "cd '" + (dir_ / folder).string() +
                                "' && '" QUILLON_INTERACTIVE
                                "' <answers.txt >transcript.txt 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return read(folder + "/transcript.txt");
  }

  fs::path dir_;
  std::string err_;
};

TEST_F(BatchProgram, ExamplesGiveTheInteractiveReportsAtOneAndTwoJobs) {
  // The outputs for the examples and one rejected file, with the model comparison, are
  // also the ones the Windows build must give (scripts/windows-check).
  for (const std::string& stem : example_stems)
    write("examples/" + stem + ".dat", testing::read_file(examples + "/" + stem + ".dat"));
  write("examples/unknown_model.dat", testing::read_file(batch_data + "/unknown_model.dat"));
  const auto expected =
      rows_without_seconds(testing::read_file(batch_data + "/examples.summary.csv"));
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(jobs);
    const std::string out = std::string("out") + jobs;
    ASSERT_EQ(run("-q --compare -j " + std::string(jobs) + " -o " + out + " examples"), 1) << err_;
    EXPECT_EQ(err_, "");
    for (const std::string& stem : example_stems) {
      EXPECT_EQ(read(out + "/" + stem + ".report.txt"),
                testing::read_file(reports + "/" + stem + ".report.txt"))
          << stem;
      EXPECT_EQ(read(out + "/" + stem + ".stats.txt"),
                testing::read_file(batch_data + "/stats/" + stem + ".stats.txt"))
          << stem;
      EXPECT_EQ(read(out + "/" + stem + ".compare.txt"),
                testing::read_file(batch_data + "/compare/" + stem + ".compare.txt"))
          << stem;
    }
    EXPECT_EQ(rows_without_seconds(read(out + "/summary.csv")), expected);
    expect_known_warnings(read(out + "/summary.csv"));
    EXPECT_EQ(read(out + "/comparison.csv"),
              testing::read_file(batch_data + "/examples.comparison.csv"));
  }
}

TEST_F(BatchProgram, PdfWritesEachPictureAgainAsAPdfThatReadersRead) {
  for (const std::string& stem : example_stems)
    write("examples/" + stem + ".dat", testing::read_file(examples + "/" + stem + ".dat"));
  const int status = run("-q --compare -o plain examples");
  ASSERT_EQ(run("-q --compare --pdf -o out examples"), status) << err_;
  const std::string global = batch_data + "/global";
  ASSERT_EQ(run("-q --pdf -o global --global --share Km " + global + "/treated.dat " + global +
                "/untreated.dat"),
            0)
      << err_;
  EXPECT_FALSE(fs::exists(dir_ / "plain/michaelis_menten.pdf"));
  // The PDFs and the words their text must give: names and the encodings' characters.
  std::vector<std::pair<std::string, std::vector<std::string>>> pdfs = {
      {"global/global.pdf", {"shared: Km", "untreated"}}};
  for (const std::string& stem : example_stems) {
    for (const char* kind : {".svg", ".compare.svg", ".report.txt", ".stats.txt"})
      EXPECT_EQ(read("out/" + stem + kind), read("plain/" + stem + kind)) << stem << kind;
    std::vector<std::string> words = {"Vmax", "\xC2\xB1"};
    if (stem != "hill_sigmoidal")
      words.push_back("Km");
    pdfs.push_back({"out/" + stem + ".pdf", words});
    pdfs.push_back({"out/" + stem + ".compare.pdf", {"AICc", stem}});
  }
  for (const auto& [pdf, words] : pdfs)
    EXPECT_TRUE(read(pdf).starts_with("%PDF-1.4\n")) << pdf;
  if (std::system("pdfinfo -v >/dev/null 2>&1 && pdftotext -v >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
  for (const auto& [pdf, words] : pdfs) {
    SCOPED_TRACE(pdf);
    const std::string file = (dir_ / pdf).string();
    // A reader's complaints go to its error stream even when it exits with 0.
    EXPECT_EQ(std::system(("pdfinfo '" + file + "' >/dev/null 2>'" + file + ".err'").c_str()), 0);
    EXPECT_EQ(read(pdf + ".err"), "");
    ASSERT_EQ(std::system(("pdftotext '" + file + "' '" + file + ".txt' 2>/dev/null").c_str()), 0);
    const std::string text = read(pdf + ".txt");
    for (const std::string& word : words)
      EXPECT_NE(text.find(word), std::string::npos) << word;
  }
}

TEST_F(BatchProgram, CompareFitsEachCandidateAsItsOwnDataFile) {
  // The example files' observations under the header lines each candidate takes.
  const auto observations = [](const std::string& file) {
    std::size_t at = 0;
    for (int line = 0; line < 4; ++line)
      at = file.find('\n', at) + 1;
    return file.substr(at);
  };
  const std::string mixed = testing::read_file(examples + "/mixed_inhibition.dat");
  const std::string mm = testing::read_file(examples + "/michaelis_menten.dat");
  write("in/mixed.dat", mixed);
  write("in/mm.dat", mm);
  const std::string bounds3 = "0.01 0.01 0.01\n100 1000 1000\n";
  write("own/m3.dat", "3\n2 60 5\n" + bounds3 + observations(mixed));
  write("own/m4.dat", "4\n2 60 5\n" + bounds3 + observations(mixed));
  write("own/m5.dat", "5\n2 60 10\n" + bounds3 + observations(mixed));
  write("own/h2.dat", "2\n2 10 1\n0.01 0.01 0.1\n100 1000 10\n" + observations(mm));
  ASSERT_EQ(run("-q --compare -j 2 -o out in"), 0) << err_;
  ASSERT_EQ(run("-q -o own_out own"), 0) << err_;
  for (const char* model : {"3", "4", "5"}) {
    EXPECT_EQ(read(std::string("out/mixed.m") + model + ".report.txt"),
              read(std::string("own_out/m") + model + ".report.txt"))
        << model;
  }
  EXPECT_EQ(read("out/mixed.m6.report.txt"), read("out/mixed.report.txt"));
  EXPECT_EQ(read("out/mm.m2.report.txt"), read("own_out/h2.report.txt"));
  EXPECT_EQ(read("out/mm.m1.report.txt"), read("out/mm.report.txt"));

  const auto rows = testing::split_crlf(read("out/comparison.csv"));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0],
            "file,model,model_name,np,ssq,aicc,delta_aicc,weight,f,df1,df2,f_p,"
            "runs_test_p,rank");
  EXPECT_TRUE(rows[4].starts_with("in/mixed.dat,6,MIXED NONCOMPETITIVE MODEL,4,")) << rows[4];
  EXPECT_TRUE(rows[4].ends_with(",,,,,0.04446729740847406,1")) << rows[4];
  for (const std::string& line : testing::split_crlf(read("out/mixed.compare.txt")))
    EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(BatchProgram, ThePageEscapesFileNamesInTextAndLinks) {
  write("in/a&b <c>.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  ASSERT_EQ(run("-q -o out in"), 0) << err_;
  const std::string page = read("out/index.html");
  EXPECT_NE(page.find("<h2>in/a&amp;b &lt;c&gt;.dat</h2>"), std::string::npos);
  EXPECT_NE(page.find("href=\"a%26b%20%3Cc%3E.report.txt\""), std::string::npos);
  EXPECT_EQ(page.find("<c>"), std::string::npos);
}

TEST_F(BatchProgram, RejectedFilesAreRowsWithTheirReasonsAndSetStatusOne) {
  write("in/a_good.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  write("in/b_model7.dat", "7\n1 2\n0 0\n9 9\n1 2\n");
  write("in/c_letter.dat", "1\n1 2\n0 0\n9 9\n1 2\n2 x\n");
  write("in/d_extra.dat", "1\n2 10\n0.01 0.01\n100 1000\n1 2 9\n2 3.5\n4 5\n8 6\n");
  std::string many = "1\n2 10\n0.01 0.01\n100 1000\n";
  for (int k = 1; k <= 1005; ++k)
    many += std::to_string(k) + " 1\n";
  write("in/e_many.dat", many);
  write("in/ignored.txt", "not a data file");
  ASSERT_EQ(run("-j 2 -o out in"), 1) << err_;
  const auto rows = testing::split_crlf(read("out/summary.csv"));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_TRUE(rows[1].starts_with("in/a_good.dat,fitted,,1,")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with(
      "in/b_model7.dat,rejected,Data file model number error! Enter a model # from 1 to  6 in "
      "line 1 of data file. Valid model numbers are: 1 - ONE SITE MICHAELIS-MENTEN MODEL"))
      << rows[2];
  EXPECT_TRUE(rows[3].starts_with(
      "in/c_letter.dat,rejected,\"Data file line 6: \"\"x\"\" cannot be read as a number."))
      << rows[3];
  EXPECT_NE(rows[4].find(",line 5 holds 3 numbers but the model reads 2 per observation: the "
                         "rest are ignored,"),
            std::string::npos)
      << rows[4];
  EXPECT_TRUE(
      rows[5].starts_with("in/e_many.dat,rejected,The data file holds 1005 "
                          "observations; a fit takes at most 1004.,1,"))
      << rows[5];
  expect_known_warnings(read("out/summary.csv"));
  EXPECT_TRUE(fs::exists(dir_ / "out/a_good.report.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "out/b_model7.report.txt"));
  EXPECT_NE(err_.find("rejected in/b_model7.dat: Data file model number error!"),
            std::string::npos);
  EXPECT_NE(err_.find("5 files: 2 fitted, 3 rejected, 1 with data warnings (see summary.csv) in "),
            std::string::npos)
      << err_;
}

TEST_F(BatchProgram, OneStemFromTwoFoldersGivesTwoOutputs) {
  const std::string mm = testing::read_file(examples + "/michaelis_menten.dat");
  write("x/rates.dat", mm);
  write("y/rates.dat", mm);
  write("y/Rates_2.dat", mm);
  ASSERT_EQ(run("-q -o out x/rates.dat y"), 0) << err_;
  // Byte order puts Rates_2 first; rates then meets its name in another letter case.
  for (const char* name : {"rates", "Rates_2", "rates_3"})
    EXPECT_TRUE(fs::exists(dir_ / "out" / (std::string(name) + ".report.txt"))) << name;
}

TEST_F(BatchProgram, UsageErrorsAndUnwritableOutputsGiveStatusTwo) {
  write("in/rates.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  write("a_file", "");
  fs::create_directories(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const bool permissions_bind = !std::ofstream(dir_ / "locked/probe");
  const struct {
    const char* arguments;
    int status;
    const char* message;
  } rows[] = {
      {"", 2, "PATH is required"},
      {"-j 0 in", 2, "--jobs: Value 0 not in range 1 to 1024"},
      {"--colour in", 2, "The following argument was not expected: --colour"},
      {"missing.dat", 2, "quillon-batch: missing.dat: no such file or folder\n"},
      {"-o a_file in", 2, "quillon-batch: cannot create the output folder a_file"},
      {"-o locked in", 2, "quillon-batch: cannot write into the output folder locked: "},
      {"--enzyme -1 in", 2, "--enzyme: -1 is not a positive number"},
      {"--substrate 10 in", 2, "--substrate S and --km KM go together"},
      // Outputs never land on a data file, so the input folder may take them.
      {"-q -o in in/rates.dat", 0, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments);
    if (std::string(row.arguments).find("locked") != std::string::npos && !permissions_bind)
      continue;  // the superuser writes anywhere
    EXPECT_EQ(run(row.arguments), row.status) << err_;
    EXPECT_NE(err_.find(row.message), std::string::npos) << err_;
  }
  EXPECT_EQ(read("in/rates.dat"), testing::read_file(examples + "/michaelis_menten.dat"));
}

TEST_F(BatchProgram, InterruptWritesTheRowsDoneAndExits130) {
  // Long fits (1004 observations), one at a time: Ctrl-C lands during the second.
  const std::string big =
      testing::read_file(QUILLON_SOURCE_DIR "/bench/data/mixed_inhibition_1004.dat");
  for (int k = 1; k <= 4; ++k)
    write("in/big" + std::to_string(k) + ".dat", big);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir_.c_str()) != 0)
      _exit(99);
    execl(QUILLON_BATCH, QUILLON_BATCH, "-q", "-j", "1", "-o", "out", "in", nullptr);
    _exit(98);
  }
  // Wait for the first report, then interrupt.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(dir_ / "out/big1.report.txt") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const auto rows = testing::split_crlf(read("out/summary.csv"));
  ASSERT_GE(rows.size(), 2u);  // the header and at least the first file
  EXPECT_LT(rows.size(), 5u);  // not every file
  EXPECT_TRUE(rows[1].starts_with("in/big1.dat,fitted,")) << rows[1];
  EXPECT_FALSE(fs::exists(dir_ / "out/summary.csv.partial"));
}

// Files made to break a batch: each finishes as a row of finite numbers or empty
// cells, with well-formed pictures and page.
TEST_F(BatchProgram, HostileFilesFinishWithFiniteNumbersAndWellFormedOutputs) {
  const std::string mm = testing::read_file(examples + "/michaelis_menten.dat");
  const std::string mm_head = "1\n2 10\n0.01 0.01\n100 1000\n";
  const struct {
    std::string file;
    std::string content;
    const char* status;  // of its summary row
    const char* expect;  // in its row
  } rows[] = {
      {"near_equal_x.dat",
       mm_head + "0.3 1\n0.30000000000000004 1.1\n0.3 0.9\n0.30000000000000004 1.05\n0.3 1\n",
       "fitted", ""},
      {"n_np1.dat",
       "6\n1 10 1 1\n0.01 0.01 0.01 0.01\n100 1000 100 100\n1 0 5\n2 0 7\n4 1 6\n"
       "8 2 6\n16 4 7\n",
       "fitted", ""},
      {"overflow.dat", mm_head + "1 1e300\n2 2e300\n4 3e300\n8 4e300\n", "rejected",
       "The sums of squares overflow"},
      {"huge_rates.dat", mm_head + "1 1e308\n2 -1e308\n4 1e308\n8 -1e308\n", "rejected",
       "The sums of squares overflow"},
      {"extreme_x.dat", mm_head + "1e-320 0.1\n1e-5 1\n1 5\n1e5 9\n1e300 10\n", "fitted", ""},
      {"zero_width.dat", "1\n2 10\n2 10\n2 10\n1 1.5\n2 3\n4 5\n8 7\n", "fitted", ""},
      {"new\nline.dat", mm, "fitted", "in/new?line.dat,"},
      {std::string(250, 'l') + ".dat", mm, "fitted", "in/llllllll"},
      {"surrogate\xED\xA0\x80.dat", mm, "fitted", "in/surrogate"},
      {"nonchar\xEF\xBF\xBE.dat", mm, "fitted", "in/nonchar"},
  };
  for (const auto& row : rows)
    write("in/" + row.file, row.content);
  ASSERT_EQ(run("-q --compare -o out in"), 1) << err_;
  const std::string summary = read("out/summary.csv");
  const std::vector<std::string> lines = testing::split_crlf(summary);
  ASSERT_EQ(lines.size(), std::size(rows) + 1);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(row.expect) != std::string::npos && csv_fields(l).at(1) == row.status &&
             l.starts_with("in/" + row.file.substr(0, 3));
    });
    EXPECT_NE(line, lines.end()) << summary;
  }
  for (const std::string& table : {summary, read("out/comparison.csv")}) {
    for (const std::string& line : testing::split_crlf(table)) {
      for (const std::string& field : csv_fields(line)) {
        char* end = nullptr;
        const double v = std::strtod(field.c_str(), &end);
        if (!field.empty() && end == field.c_str() + field.size()) {
          EXPECT_TRUE(std::isfinite(v)) << line;
        }
      }
    }
  }
  expect_known_warnings(summary);
  const bool xmllint = std::system("xmllint --version >/dev/null 2>&1") == 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
    if (entry.path().extension() != ".svg" && entry.path().extension() != ".html")
      continue;
    const std::string text = read("out" / entry.path().filename());
    EXPECT_TRUE(well_formed_utf8(text)) << entry.path();
    if (entry.path().extension() == ".html")
      continue;
    EXPECT_EQ(text.find("nan"), std::string::npos) << entry.path();
    EXPECT_EQ(text.find("inf"), std::string::npos) << entry.path();
    if (xmllint) {
      EXPECT_EQ(std::system(("xmllint --noout '" + entry.path().string() + "'").c_str()), 0);
    }
  }
  // Parameters held by equal bounds: no standard error or interval.
  const std::vector<std::string> header = csv_fields(lines[0]);
  for (const std::string& line : lines) {
    if (!line.starts_with("in/zero_width.dat,"))
      continue;
    const std::vector<std::string> fields = csv_fields(line);
    for (const char* column : {"p1_wald_se", "p1_wald_lo", "p1_profile_hi", "p2_wald_se"})
      EXPECT_EQ(fields.at(std::find(header.begin(), header.end(), column) - header.begin()), "")
          << column;
  }
  // The n = np + 1 file: no AICc; its candidates ranked by AIC.
  EXPECT_NE(read("out/n_np1.compare.txt").find("ranked by AIC"), std::string::npos);
}

TEST_F(BatchProgram, TablesReachTheOptimaOfRFromStartsFoundInTheData) {
  const std::string tables = QUILLON_SOURCE_DIR "/tests/batch/data/tables";
  ASSERT_EQ(run("-q -o out " + tables), 0) << err_;
  for (const testing::TableExpected& e : testing::table_expected) {
    const std::string file = tables + "/" + std::string(e.file);
    SCOPED_TRACE(file);
    // The examples as tables, each with the model its data file names; the inhibitor
    // tables of models 3 to 5 likewise (the default for them is the mixed model).
    const bool example = e.file.starts_with("examples/");
    const bool named = example || (e.model >= 3 && e.model <= 5);
    const std::string out = named ? "out_" + std::string(e.file.substr(example ? 9 : 0)) : "out";
    if (named) {
      ASSERT_EQ(run("-q -o " + out + " --model " + std::to_string(e.model) + " " + file), 0);
    }
    const std::string summary = read(out + "/summary.csv");
    EXPECT_EQ(field(summary, file, "model"), std::to_string(e.model));
    EXPECT_EQ(field(summary, file, "n"), std::to_string(e.n));
    EXPECT_NEAR(std::stod(field(summary, file, "ssq")), e.ssq, 1e-6 * e.ssq);
    for (int k = 0; k < e.np; ++k) {
      std::string p = "p";
      p += std::to_string(k + 1);
      const auto u = static_cast<std::size_t>(k);
      EXPECT_NEAR(std::stod(field(summary, file, p + "_best")), e.p[u], 1e-4 * std::abs(e.p[u]));
      EXPECT_NEAR(std::stod(field(summary, file, p + "_wald_se")), e.se[u], 1e-3 * e.se[u]);
    }
    EXPECT_EQ(field(summary, file, "warnings").find(" bound "), std::string::npos);
    const std::string p = field(summary, file, "lack_of_fit_p");
    if (std::isnan(e.lack_of_fit_p))
      EXPECT_EQ(p, "");
    else
      EXPECT_NEAR(std::stod(p), e.lack_of_fit_p, 1e-6 * e.lack_of_fit_p);
  }
  const std::string summary = read("out/summary.csv");
  EXPECT_EQ(field(summary, tables + "/mm.csv", "replicates"), "3");
  EXPECT_EQ(field(summary, tables + "/mm.csv", "x_unit"), "mM");
  EXPECT_EQ(field(summary, tables + "/hill_falling.csv", "x_unit"), "nM");
  EXPECT_NE(read("out/mm.svg").find(">S (mM)<"), std::string::npos);  // the header's names
  EXPECT_NE(read("out/mm.svg").find(">v<"), std::string::npos);
  EXPECT_NE(read("out/mm.svg").find("opacity=\"0.3\""), std::string::npos);  // faint replicates
  EXPECT_NE(read("out/mm.stats.txt").find("Units: Km in mM."), std::string::npos);
  EXPECT_NE(read("out/mm.stats.txt").find("Lack of fit: F(7, 18) = 0.375, p = 0.905"),
            std::string::npos);
}

TEST_F(BatchProgram, WeightedFitsReachTheWeightedOptimaOfR) {
  const std::string tables = QUILLON_SOURCE_DIR "/tests/batch/data/weights";
  const std::vector<std::string> weightings = {"1/y", "1/y2", "1/sd2"};
  for (std::size_t k = 0; k < weightings.size(); ++k) {
    ASSERT_EQ(run("-q --compare -o out" + std::to_string(k) + " --weight " + weightings[k] + " " +
                  tables),
              0)
        << err_;
  }
  for (const testing::WeightExpected& e : testing::weight_expected) {
    const std::string file = tables + "/" + std::string(e.file);
    SCOPED_TRACE(file + " " + std::string(e.weighting));
    const auto k =
        std::find(weightings.begin(), weightings.end(), e.weighting) - weightings.begin();
    const std::string out = "out" + std::to_string(k);
    const std::string summary = read(out + "/summary.csv");
    EXPECT_EQ(field(summary, file, "weighting"), e.weighting);
    EXPECT_EQ(field(summary, file, "model"), std::to_string(e.model));
    EXPECT_EQ(field(summary, file, "n"), std::to_string(e.n));
    // sigma^2 df is the polished weighted sum; ssq stays the unweighted sum.
    const double sigma = std::stod(field(summary, file, "sigma"));
    EXPECT_NEAR(sigma * sigma * std::stoi(field(summary, file, "df")), e.wssq, 1e-6 * e.wssq);
    EXPECT_NEAR(std::stod(field(summary, file, "ssq")), e.ssq, 1e-5 * e.ssq);
    for (int j = 0; j < e.np; ++j) {
      std::string p = "p";
      p += std::to_string(j + 1);
      const auto u = static_cast<std::size_t>(j);
      EXPECT_NEAR(std::stod(field(summary, file, p + "_best")), e.p[u], 1e-4 * std::abs(e.p[u]));
      EXPECT_NEAR(std::stod(field(summary, file, p + "_wald_se")), e.se[u], 1e-3 * e.se[u]);
    }
    EXPECT_EQ(field(summary, file, "replicates"), "3");
    EXPECT_EQ(field(summary, file, "lack_of_fit_p"), "");
    // The file's own candidate is ranked on the same weighted optimum.
    bool seen = false;
    for (const std::string& row : testing::split_crlf(read(out + "/comparison.csv"))) {
      const std::vector<std::string> f = csv_fields(row);
      if (f.at(0) == file && f.at(1) == std::to_string(e.model)) {
        EXPECT_NEAR(std::stod(f.at(4)), e.wssq, 1e-6 * e.wssq);
        seen = true;
      }
    }
    EXPECT_TRUE(seen);
    const std::string stem(e.file.substr(0, e.file.size() - 4));
    EXPECT_NE(read(out + "/" + stem + ".stats.txt").find(", weighted " + std::string(e.weighting)),
              std::string::npos);
    EXPECT_NE(read(out + "/" + stem + ".report.txt").find("Best-fit weighted SSQ             ="),
              std::string::npos);
  }
}

// R: nls on the same data, vcov(fit) and the delta method (make_derived_expected.R).
TEST_F(BatchProgram, DerivedConstantsAreRsDeltaMethod) {
  write("in/michaelis_menten.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  write("in/mixed_inhibition.dat", testing::read_file(examples + "/mixed_inhibition.dat"));
  const std::string hill = QUILLON_SOURCE_DIR "/tests/batch/data/tables/hill_falling.csv";
  ASSERT_EQ(run("-q -o out --enzyme 0.05 in"), 0) << err_;
  ASSERT_EQ(run("-q -o cp --substrate 10 --km 2 " + hill), 0) << err_;
  const double none = std::nan("");
  const struct {
    std::string out, file;
    const char* constant;
    double value, se, lo, hi;
  } rows[] = {
      {"out", "in/michaelis_menten.dat", "kcat", 238.75922607165359, 2.0239767381958114,
       234.09192734381702, 243.42652479949015},
      {"out", "in/michaelis_menten.dat", "kcat_km", 96.83524872844103, 2.3479996331427015,
       91.420751864956102, 102.24974559192596},
      {"out", "in/michaelis_menten.dat", "alpha", none, none, none, none},
      {"out", "in/mixed_inhibition.dat", "kcat", 1588.5516736826244, 9.816757446398519,
       1567.496822993071, 1609.6065243721778},
      {"out", "in/mixed_inhibition.dat", "kcat_km", 525.16606597108409, 9.0166515895574957,
       505.82727167220827, 544.50486026995986},
      {"out", "in/mixed_inhibition.dat", "alpha", 3.1221126014347589, 0.23966930371645384,
       2.6080730693211795, 3.6361521335483382},
      {"out", "in/mixed_inhibition.dat", "ki_cheng_prusoff", none, none, none, none},
      {"cp", hill, "ki_cheng_prusoff", 15.315825460306234, 0.44363129093454323, none, none},
      {"cp", hill, "kcat", none, none, none, none},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file + " " + r.constant);
    const std::string summary = read(r.out + "/summary.csv");
    const std::string c = r.constant;
    std::vector<std::tuple<std::string, double, double>> cells = {{c, r.value, 1e-4},
                                                                  {c + "_se", r.se, 1e-3}};
    if (c != "ki_cheng_prusoff")  // which has no interval columns
      cells.insert(cells.end(), {{c + "_lo", r.lo, 1e-4}, {c + "_hi", r.hi, 1e-4}});
    for (const auto& [column, expected, tolerance] : cells) {
      const std::string cell = field(summary, r.file, column);
      if (std::isnan(expected))
        EXPECT_EQ(cell, "") << column;
      else
        EXPECT_NEAR(std::stod(cell), expected, tolerance * std::abs(expected)) << column;
    }
  }
  EXPECT_NE(
      read("out/mixed_inhibition.stats.txt")
          .find("Derived: alpha = Ki2/Ki1 = 3.1221 \xC2\xB1 0.23967 (95 %: 2.6081 to 3.6361)."),
      std::string::npos);
  EXPECT_NE(read("cp/hill_falling.stats.txt")
                .find("Derived: Ki = IC50/(1 + S/Km) = 15.316 \xC2\xB1 0.44363 nM (Cheng-Prusoff,"),
            std::string::npos);
}

// R on its Puromycin data: nls(rate ~ Vm[state]*conc/(K + conc)) against K[state], anova.
TEST_F(BatchProgram, GlobalFitsShareParametersAndTestAsR) {
  const std::string global = batch_data + "/global";
  // Two data files, and one table holding both sets in its set column.
  for (const std::string& inputs :
       {global + "/treated.dat " + global + "/untreated.dat", global + "/puromycin_sets.csv"}) {
    SCOPED_TRACE(inputs);
    ASSERT_EQ(run("-q -o out --global --share Km " + inputs), 0) << err_;
    const std::vector<std::string> test = testing::split_crlf(read("out/global.test.csv"));
    ASSERT_EQ(test.size(), 2u);
    EXPECT_EQ(test[0],
              "sets,n,np,ssq,aicc,ssq_separate,np_separate,aicc_separate,f,df1,df2,f_p,"
              "preferred");
    const std::vector<std::string> t = csv_fields(test[1]);
    EXPECT_EQ(t[0] + " " + t[1] + " " + t[2] + " " + t[6], "2 23 3 4");
    EXPECT_NEAR(std::stod(t[3]), 2240.8914388389808, 1e-4);
    EXPECT_NEAR(std::stod(t[5]), 2055.0531083410692, 1e-4);
    EXPECT_NEAR(std::stod(t[8]), 1.71816887122233, 1e-4);
    EXPECT_EQ(t[9] + " " + t[10], "1 19");
    EXPECT_NEAR(std::stod(t[11]), 0.205552272329642, 1e-4);
    EXPECT_EQ(t[12], "shared");

    const struct {
      const char* set;
      const char* parameter;
      const char* shared;
      double best, se;
    } rows[] = {{"treated", "Km", "yes", 0.0579715690834364, 0.00591015397056391},
                {"treated", "Vmax", "no", 208.62987505701028, 5.80398516311941748},
                {"untreated", "Km", "yes", 0.0579715690834364, 0.00591015397056391},
                {"untreated", "Vmax", "no", 166.60396618110116, 5.80742226096303327}};
    const std::vector<std::string> parameters =
        testing::split_crlf(read("out/global.parameters.csv"));
    ASSERT_EQ(parameters.size(), 5u);
    for (std::size_t r = 0; r < 4; ++r) {
      const std::vector<std::string> f = csv_fields(parameters[r + 1]);
      SCOPED_TRACE(parameters[r + 1]);
      EXPECT_EQ(f[0] + " " + f[2] + " " + f[3],
                std::string(rows[r].set) + " " + rows[r].parameter + " " + rows[r].shared);
      EXPECT_NEAR(std::stod(f[4]), rows[r].best, 1e-4 * rows[r].best);
      EXPECT_NEAR(std::stod(f[5]), rows[r].se, 1e-3 * rows[r].se);
    }
  }
  EXPECT_TRUE(fs::exists(dir_ / "out/puromycin_sets.untreated.report.txt"));
  // The same through an equation of one's own, shared by its own name.
  ASSERT_EQ(run("-q -o own --global --share K --equation 'Y = V*X1/(K + X1)' --params K,V "
                "--start K=0.1,V=100 --lower K=0.001,V=0.001 --upper K=10,V=1000 " +
                global + "/puromycin_sets.csv"),
            0)
      << err_;
  const std::vector<std::string> own =
      csv_fields(testing::split_crlf(read("own/global.test.csv")).at(1));
  EXPECT_NEAR(std::stod(own[8]), 1.71816887122233, 1e-4);
  EXPECT_NE(read("own/global.parameters.csv").find("],K,yes,"), std::string::npos);
  // One label in the set column is one data set, fitted as the whole table.
  write("one_set.csv", "set,S,v\nA,1,2\nA,2,3\nA,4,3.6\nA,8,4\n");
  ASSERT_EQ(run("-q -o one one_set.csv"), 0) << err_;
  EXPECT_EQ(field(read("one/summary.csv"), "one_set.csv", "status"), "fitted");
  // Weighted, as nls(..., weights = 1/rate^2) and anova give it.
  ASSERT_EQ(
      run("-q -o weighted --weight 1/y2 --global --share Km " + global + "/puromycin_sets.csv"), 0)
      << err_;
  const std::vector<std::string> weighted =
      csv_fields(testing::split_crlf(read("weighted/global.test.csv")).at(1));
  EXPECT_NEAR(std::stod(weighted[3]), 0.292570247491, 1e-8);
  EXPECT_NEAR(std::stod(weighted[8]), 3.37404883722, 1e-4);
  EXPECT_NEAR(std::stod(weighted[11]), 0.0819258984825, 1e-4);
  EXPECT_EQ(weighted[12], "separate");
  ASSERT_EQ(
      run("-q -o out --global --share Km " + global + "/treated.dat " + global + "/untreated.dat"),
      0)
      << err_;
  // The separate fits keep their usual outputs; the page and the report show the sets.
  EXPECT_EQ(testing::split_crlf(read("out/summary.csv")).size(), 3u);
  EXPECT_TRUE(fs::exists(dir_ / "out/treated.report.txt"));
  EXPECT_NE(read("out/global.report.txt").find("   Pt  Set"), std::string::npos);
  EXPECT_NE(read("out/index.html").find("F(1, 19) = 1.718, p = 0.206"), std::string::npos);
  EXPECT_NE(read("out/global.svg").find("treated"), std::string::npos);

  write("hill.dat", testing::read_file(examples + "/hill_sigmoidal.dat"));
  const struct {
    std::string arguments, message;
  } refusals[] = {
      {"--global " + global, "--global and --share NAMES go together"},
      {"--share Km " + global, "--global and --share NAMES go together"},
      {"--global --share Kx " + global, "no model has a parameter Kx"},
      {"--global --share Ki " + global, "the Michaelis-Menten model has no parameter Ki to share"},
      {"--global --share Km " + global + "/treated.dat", "two data sets or more"},
      {"--global --share Km hill.dat " + global, "one model to every input: hill.dat is Hill (2)"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.arguments);
    EXPECT_EQ(run("-q -o refused " + r.arguments), 2);
    EXPECT_NE(err_.find(r.message), std::string::npos) << err_;
  }
}

// The models beyond the six against R's nls on made data (tests/batch/make_model_expected.R).
TEST_F(BatchProgram, NewModelsReachTheOptimaOfR) {
  int run_number = 0;
  for (const testing::ModelExpected& e : testing::model_expected) {
    if (!e.against.empty())
      continue;  // met in the comparison of the model it nests in
    const std::string file = batch_data + "/" + std::string(e.file);
    const std::string out = std::string("out").append(std::to_string(++run_number));
    SCOPED_TRACE(std::string(e.model) + " " + file);
    const std::string enzyme = e.enzyme > 0 ? " --enzyme " + textio::csv_number(e.enzyme) : "";
    ASSERT_EQ(
        run("-q --compare -o " + out + " --model " + std::string(e.model) + enzyme + " " + file), 0)
        << err_;
    const std::string summary = read(out + "/summary.csv");
    EXPECT_EQ(field(summary, file, "n"), std::to_string(e.n));
    EXPECT_NEAR(std::stod(field(summary, file, "ssq")), e.ssq, 1e-6 * e.ssq);
    for (int k = 0; k < e.np; ++k) {
      const std::string p = std::string("p").append(std::to_string(k + 1));
      const auto u = static_cast<std::size_t>(k);
      EXPECT_NEAR(std::stod(field(summary, file, p + "_best")), e.p[u], 1e-4 * std::abs(e.p[u]));
      EXPECT_NEAR(std::stod(field(summary, file, p + "_wald_se")), e.se[u], 1e-3 * e.se[u]);
    }
    if (e.model == "4pl") {
      EXPECT_EQ(field(summary, file, "p3_name"), "IC50");  // a falling curve
    }
    // The nested model's optimum and F test, as R's anova gives them.
    for (const testing::ModelExpected& nested : testing::model_expected) {
      if (nested.against != e.model || nested.file != e.file)
        continue;
      const std::string number = std::to_string(models::find_model(nested.model)->number);
      bool seen = false;
      for (const std::string& row : testing::split_crlf(read(out + "/comparison.csv"))) {
        const std::vector<std::string> f = csv_fields(row);
        if (f.at(0) != file || f.at(1) != number)
          continue;
        seen = true;
        EXPECT_NEAR(std::stod(f.at(4)), nested.ssq, 1e-6 * nested.ssq);
        EXPECT_NEAR(std::stod(f.at(8)), nested.f, 1e-4 * nested.f);
        EXPECT_NEAR(std::stod(f.at(11)), nested.f_p, 1e-4 * nested.f_p);
      }
      EXPECT_TRUE(seen) << nested.model;
    }
  }
}

// An equation of one's own is fitted as the built-in model it spells out: the same report
// but for the model's name; what the engine cannot read is a usage error naming it.
TEST_F(BatchProgram, OwnEquationsFitAsTheModelTheySpellOut) {
  const std::string table = batch_data + "/tables/mm.csv";
  const std::string starts =
      " --start Km=1,Vmax=10 --lower Km=0.01,Vmax=0.01 --upper Km=100,Vmax=1000 ";
  ASSERT_EQ(run("-q -o built_in" + starts + table), 0) << err_;
  ASSERT_EQ(run("-q -o own --equation 'Y = Vmax*X1/(X1 + Km)' --params Km,Vmax" + starts + table),
            0)
      << err_;
  const std::vector<std::string> built_in = testing::split_crlf(read("built_in/mm.report.txt"));
  const std::vector<std::string> own = testing::split_crlf(read("own/mm.report.txt"));
  ASSERT_EQ(built_in.size(), own.size());
  for (std::size_t i = 0; i < own.size(); ++i) {
    if (own[i].find("USER-DEFINED MODEL") == std::string::npos) {
      EXPECT_EQ(own[i], built_in[i]) << "line " << i + 1;
    }
  }
  EXPECT_EQ(field(read("own/summary.csv"), table, "p2_name"), "Vmax");

  const struct {
    std::string equation, params, message;
  } refusals[] = {
      {"Y = Vmax*X1/(X1 + Km", "Km,Vmax", "opens 1 '(' more than it closes"},
      {"Y = Vmax*S/(S + Km)", "Km,Vmax", "names S, which is none of its parameters"},
      {"Vmax*X1/(X1 + Km)", "Km,Vmax", "reads \"Y = ...\""},
      {"Y = Vmax*X1/(X1 + Km) +", "Km,Vmax", "cannot be read: attempt to pop from empty"},
      {"Y = Vmax*X1/(X1 + Km)", "Km,Vmax,a,b,c", "one to 4 parameters, not 5"},
      {"Y = Vmax*X1/(X1 + Km)", "Km,X1", "is one the equation reads otherwise"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.equation);
    EXPECT_EQ(
        run("-q -o refused --equation '" + r.equation + "' --params " + r.params + starts + table),
        2);
    EXPECT_NE(err_.find(r.message), std::string::npos) << err_;
  }
  EXPECT_EQ(run("-q -o refused --equation 'Y = Vmax*X1/(X1 + Km)' --params Km,Vmax --start Km=1 " +
                table),
            2);
  EXPECT_NE(err_.find("Vmax has none"), std::string::npos) << err_;
}

// Axes and captions from the table's names and units, IC50 for a falling curve; the
// double-reciprocal diagnostic only for the models whose curves it straightens.
TEST_F(BatchProgram, FiguresSayWhatTheyShow) {
  const std::string dose = batch_data + "/models/dose_falling.csv";
  ASSERT_EQ(run("-q -o fig --diagnostic --model 4pl " + dose), 0) << err_;
  const std::string svg = read("fig/dose_falling.svg");
  for (const char* text :
       {">dose (nM)<", ">response (%)<", "IC50 = 31.3 \xC2\xB1 2.1 nM", "(\xC2\xB1 SE)"})
    EXPECT_NE(svg.find(text), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(dir_ / "fig/dose_falling.diagnostic.svg"));  // no straight lines
  ASSERT_EQ(run("-q -o diag --diagnostic " + examples + "/competitive_inhibition.dat"), 0) << err_;
  const std::string diagnostic = read("diag/competitive_inhibition.diagnostic.svg");
  EXPECT_NE(diagnostic.find("diagnostic of the nonlinear fit"), std::string::npos);
  EXPECT_NE(diagnostic.find(">1/[S]<"), std::string::npos);
  EXPECT_NE(read("diag/index.html").find("competitive_inhibition.dat: double-reciprocal"),
            std::string::npos);
}

TEST_F(BatchProgram, WeightsThatTheDataCannotGiveRejectTheFile) {
  const std::string unreplicated = QUILLON_SOURCE_DIR "/tests/batch/data/tables/hill_rising.csv";
  const struct {
    std::string weighting, file, content, message;
  } cases[] = {
      {"1/sd2", unreplicated, "", "at least two replicates at every level, but [S] = 0.5 has one"},
      {"1/y2", "zero.csv", "S,v\n0.5,1.2\n1,0\n2,3.1\n4,3.9\n", "the rate at [S] = 1 is 0"},
      {"1/y", "zero.csv", "S,v\n0.5,1.2\n1,0\n2,3.1\n4,3.9\n", "the rate at [S] = 1 is 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.weighting);
    if (!c.content.empty())
      write(c.file, c.content);
    ASSERT_EQ(run("-q -o out --weight " + c.weighting + " '" + c.file + "'"), 1) << err_;
    const std::string summary = read("out/summary.csv");
    EXPECT_EQ(field(summary, c.file, "status"), "rejected");
    EXPECT_NE(field(summary, c.file, "message").find(c.message), std::string::npos)
        << field(summary, c.file, "message");
    EXPECT_EQ(field(summary, c.file, "weighting"), c.weighting);
  }
  EXPECT_EQ(run("-q -o out --weight 1/x zero.csv"), 2);
  EXPECT_NE(err_.find("no weighting 1/x"), std::string::npos) << err_;
}

TEST_F(BatchProgram, TablesConvertToDataFilesThatTheInteractiveProgramFitsAlike) {
  const std::string tables = QUILLON_SOURCE_DIR "/tests/batch/data/tables";
  ASSERT_EQ(run("-q -r -o out --to-dat dat " + tables), 0) << err_;
  for (const testing::TableExpected& e : testing::table_expected) {
    std::string stem(e.file.substr(0, e.file.size() - 4));
    stem.erase(0, stem.find('/') + 1);
    SCOPED_TRACE(stem);
    write(stem + "/" + stem + ".dat", read("dat/" + stem + ".dat"));
    const std::string report = read("out/" + stem + ".report.txt");
    ASSERT_FALSE(report.empty());
    EXPECT_NE(interactive(stem).find(report), std::string::npos);
  }
  // The units come back from the data file's remarks.
  ASSERT_EQ(run("-q -o again dat/mm.dat dat/hill_falling.dat"), 0) << err_;
  EXPECT_EQ(field(read("again/summary.csv"), "dat/mm.dat", "x_unit"), "mM");
  EXPECT_EQ(field(read("again/summary.csv"), "dat/hill_falling.dat", "x_unit"), "nM");
}

TEST_F(BatchProgram, TableDialectsGiveOneFitAndBadTablesSayWhereAndWhat) {
  const struct {
    std::string file, content;
    const char* status;
    const char* expect;  // in its message, warnings or X1 unit
  } rows[] = {
      {"comma.csv", "S (mM),v\n1,2.9\n2,4.6\n4,6.5\n8,8.1\n16,8.9\n", "fitted", "mM"},
      {"semicolon.csv", "\xEF\xBB\xBFS (mM);v\r\n1;2,9\r\n2;4,6\r\n4;6,5\r\n8;8,1\r\n16;8,9\r\n",
       "fitted", "mM"},
      {"tab.tsv", "# plate 3\n[S]\trate\n1\t2,9\n2\t4,6\n4\t6,5\n8\t8,1\n16\t8,9\n", "fitted", ""},
      {"blanks.txt", "1 2.9\n2 4.6\n4 6.5\n8 8.1\n16 8.9\n", "fitted", ""},
      {"quoted.csv", "\"S\",\"v\"\n\"1\",\"2.9\"\n2,4.6\n4,6.5\n8,8.1\n16,8.9\n", "fitted", ""},
      {"missing.csv", "S,v1,v2\n1,2.9,NA\n2,4.6,4.5\n4,6.5,\n8,8.1,8.2\n16,8.9,n.d.\n", "fitted",
       "missing values"},
      {"unknown.csv", "time,A340\n1,2\n2,3\n", "rejected", "--columns"},
      {"ragged.csv", "S,v\n1,2.9\n2,4.6,7\n4,6.5\n", "rejected", "line 3"},
      {"letters.csv", "S,v\n1,2.9\n2,abc\n4,6.5\n", "rejected", "abc"},
      {"few.csv", "S,v\n1,2.9\n2,4.6\n", "rejected", "at least 3"},
      {"wide.csv", "1,2,3\n2,4,5\n3,5,6\n", "rejected", "--columns"},
  };
  for (const auto& row : rows)
    write("in/" + row.file, row.content);
  EXPECT_EQ(run("-q -o out in/comma.csv in/semicolon.csv in/tab.tsv in/blanks.txt in/quoted.csv"),
            0)
      << err_;
  const std::string ssq = field(read("out/summary.csv"), "in/comma.csv", "ssq");
  for (const char* same : {"in/semicolon.csv", "in/tab.tsv", "in/blanks.txt", "in/quoted.csv"})
    EXPECT_EQ(field(read("out/summary.csv"), same, "ssq"), ssq) << same;
  std::string all;
  for (const auto& row : rows)
    all += " in/" + row.file;
  EXPECT_EQ(run("-q -o out2" + all), 1) << err_;
  const std::string summary = read("out2/summary.csv");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    EXPECT_EQ(field(summary, "in/" + row.file, "status"), row.status);
    const std::string message = field(summary, "in/" + row.file, "message") +
                                field(summary, "in/" + row.file, "warnings") +
                                field(summary, "in/" + row.file, "x_unit");
    EXPECT_NE(message.find(row.expect), std::string::npos) << message;
  }
  expect_known_warnings(summary);
}

TEST_F(BatchProgram, DataWarningsSetStatusThreeAndStrictRejects) {
  write("in/cut.dat",
        "1\n2 10\n0.01 0.01\n100 1000\n1 2.9\n2 4.6\n4 6.5\n\n8 8.1\n16 8.9\n# end\n");
  EXPECT_EQ(run("-q -o out in/cut.dat"), 3) << err_;
  const std::string warning = "lines 9 to 10 after the empty line at line 8 were not read";
  EXPECT_EQ(field(read("out/summary.csv"), "in/cut.dat", "warnings"), warning);
  EXPECT_EQ(field(read("out/summary.csv"), "in/cut.dat", "n"), "3");
  EXPECT_EQ(run("-q --strict -o out2 in/cut.dat"), 1) << err_;
  EXPECT_EQ(field(read("out2/summary.csv"), "in/cut.dat", "status"), "rejected");
  EXPECT_NE(field(read("out2/summary.csv"), "in/cut.dat", "message").find(warning),
            std::string::npos);
  // Units from the options, for data files too.
  write("in/mm.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  EXPECT_EQ(run("-q -o out3 --x-unit mM --y-unit \"umol/min\" in/mm.dat"), 0) << err_;
  EXPECT_EQ(field(read("out3/summary.csv"), "in/mm.dat", "y_unit"), "umol/min");
  EXPECT_NE(read("out3/mm.stats.txt").find("Units: Km in mM, Vmax in umol/min."),
            std::string::npos);
}

TEST_F(BatchProgram, AKmBeyondTheHighestSubstrateIsNotedInTheSummaryAndTheStatistics) {
  // Rates still rising almost linearly: Km (about 20) lies past the highest [S].
  write("in/rising.csv", "S,v\n0.5,0.74\n1,1.43\n2,2.75\n4,4.98\n8,8.6\n");
  ASSERT_EQ(run("-q -o out in/rising.csv"), 0) << err_;
  const std::string note =
      "Km poorly determined: the best fit lies above the highest [S] (8), "
      "95 % profile interval 18.6 to 22.2";
  const std::string summary = read("out/summary.csv");
  EXPECT_EQ(field(summary, "in/rising.csv", "warnings"), note);
  expect_known_warnings(summary);
  EXPECT_NE(
      read("out/rising.stats.txt")
          .find("Note: Km poorly determined: the best fit lies above the highest [S] (8), 95 %"
                "\r\n      profile interval 18.6 to 22.2\r\n"),
      std::string::npos);
}

TEST_F(BatchProgram, RecursiveWalksSubfoldersAndOverridesReplaceTheFoundStarts) {
  const std::string table = "S,v\n1,2.9\n2,4.6\n4,6.5\n8,8.1\n16,8.9\n";
  write("in/a.csv", table);
  write("in/sub/b.tsv", "S\tv\n1\t2.9\n2\t4.6\n4\t6.5\n8\t8.1\n16\t8.9\n");
  write("in/sub/deeper/c.dat", testing::read_file(examples + "/michaelis_menten.dat"));
  write("in/sub/notes.txt", "not a table");
  ASSERT_EQ(run("-q -o out in"), 0) << err_;
  EXPECT_EQ(testing::split_crlf(read("out/summary.csv")).size(), 2u);
  ASSERT_EQ(run("-q -r -o out2 --to-dat dat --start Km=3 --upper Vmax=9 in"), 0) << err_;
  const std::vector<std::string> rows = testing::split_crlf(read("out2/summary.csv"));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_TRUE(rows[2].starts_with("in/sub/b.tsv,")) << rows[2];
  EXPECT_TRUE(rows[3].starts_with("in/sub/deeper/c.dat,")) << rows[3];
  const std::vector<std::string> dat = testing::split_crlf(read("dat/a.dat"));
  EXPECT_TRUE(dat.at(1).starts_with("3 ")) << dat.at(1);
  EXPECT_NE(dat.at(3).find(" 9 "), std::string::npos) << dat.at(3);
  EXPECT_FALSE(fs::exists(dir_ / "dat/c.dat"));  // data files are not converted
  EXPECT_EQ(run("-q -o out3 --start Kx=3 in"), 2);
  EXPECT_NE(err_.find("no model has a parameter Kx"), std::string::npos) << err_;
  EXPECT_EQ(run("-q -o out3 --model 99 in"), 2);
  EXPECT_EQ(run("-q -o out4 --start Ki=3 in/a.csv"), 1);
  EXPECT_NE(read("out4/summary.csv").find("has no parameter Ki"), std::string::npos);
}

}  // namespace
}  // namespace quillon::batch
