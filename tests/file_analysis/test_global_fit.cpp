#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_analysis/global_fit.h"

namespace quillon::file_analysis {
namespace {

// Three Michaelis-Menten sets of one shape with their own starts and bounds.
std::vector<FileFit> three_sets(const std::filesystem::path& dir) {
  const std::string bounds[] = {"1 10\n0.1 1\n50 100\n", "2 20\n0.05 2\n20 300\n",
                                "3 30\n0.2 0.5\n80 90\n"};
  std::vector<FileFit> fits;
  for (int s = 0; s < 3; ++s) {
    const std::filesystem::path file =
        dir / std::string("set").append(std::to_string(s)).append(".dat");
    std::ofstream(file) << "1\n" << bounds[s] << "0.5 2.1\n1 3.4\n2 4.9\n4 6.6\n8 7.9\n";
    fits.push_back(fit_file(file));
    EXPECT_TRUE(fits.back().fitted) << fits.back().message;
  }
  return fits;
}

TEST(GlobalFit, SharedParametersTakeTheFirstStartWithinEverySetsBounds) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      std::string("quillon global ").append(std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::vector<FileFit> fits = three_sets(dir);
  std::filesystem::remove_all(dir);
  std::vector<GlobalSet> sets;
  for (std::size_t s = 0; s < fits.size(); ++s)
    sets.push_back(
        {std::string(1, 's').append(std::to_string(s)), "set.dat", &fits[s], fits[s].state});
  const GlobalFit g = global_fit(sets, {true, false});  // Km shared
  ASSERT_TRUE(g.fitted) << g.message;
  // P1 Km, then each set's Vmax.
  EXPECT_EQ(g.state.np, 4);
  EXPECT_EQ(g.state.global.names,
            (std::vector<std::string>{"Km", "Vmax [s0]", "Vmax [s1]", "Vmax [s2]"}));
  EXPECT_EQ(g.state.pinit, (std::vector<double>{1, 10, 20, 30}));
  EXPECT_EQ(g.state.plower, (std::vector<double>{0.05, 1, 2, 0.5}));
  EXPECT_EQ(g.state.pupper, (std::vector<double>{80, 100, 300, 90}));
  for (std::size_t s = 0; s < 3; ++s) {
    EXPECT_EQ(g.index(s, 0), 0);
    EXPECT_EQ(g.index(s, 1), static_cast<int>(s) + 1);
  }
  EXPECT_EQ(g.test.df1, 2);
  EXPECT_EQ(g.test.df2, 15 - 6);
  EXPECT_GE(g.test.ssq, g.test.ssq_separate);

  // Refusals: a set that was not fitted, and one set alone.
  FileFit rejected;
  std::vector<GlobalSet> with_rejected = sets;
  with_rejected[1].fit = &rejected;
  EXPECT_EQ(global_fit(with_rejected, {true, false}).message,
            "The global fit needs every data set: set.dat was not fitted.");
  EXPECT_EQ(global_fit({sets[0]}, {true, false}).message,
            "A global fit needs two data sets or more.");
}

}  // namespace
}  // namespace quillon::file_analysis
