// The lab tables of tests/batch/data/tables as observations: a comma splitter for
// these files only (header line, then X1, X2 for two-X models, then rate columns).
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillon::testing {

struct TableData {
  std::vector<double> x1, x2, y;  // x2 all 0 for one-X models
};

inline TableData read_table_data(const std::string& path, int nx) {
  TableData data;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<double> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');)
      cells.push_back(std::stod(cell));
    for (std::size_t k = static_cast<std::size_t>(nx); k < cells.size(); ++k) {
      data.x1.push_back(cells[0]);
      data.x2.push_back(nx == 2 ? cells[1] : 0.0);
      data.y.push_back(cells[k]);
    }
  }
  return data;
}

}  // namespace quillon::testing
