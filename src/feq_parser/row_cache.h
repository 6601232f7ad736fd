// Evaluation of a program over the same rows time after time, keeping the values of
// its subexpressions from one evaluation to the next.
//
// A coordinate search moves one parameter per trial, so most subexpressions see the
// same inputs as at an earlier evaluation: X2/P3 keeps its rows while P1 or P2 moves,
// and so does (P1/X1)^P3 while P2 moves. Each subexpression keeps its rows from two
// earlier evaluations, tagged with the values of the variables it reads, and is taken
// from there whenever those values are the same bits again. Whatever is worked out is
// worked out by the same operation on the same operands as run_rows does it, so the
// results are the same bits; repeated subexpressions (X1^P3 twice in the Hill model)
// are worked out once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "feq_parser/evaluation.h"

namespace feq_parser::detail {

class RowCache {
 public:
  // The vector width is the processor's widest unless a test asks for another.
  explicit RowCache(Width width = widest_width()) : width_(width) {}

  // As run_rows: rows 0..n-1 into out, or false, with nothing done, when the program
  // needs the checked evaluation. Stored rows are used only while the program, the
  // set of column variables, n and every column's values stay the same; with
  // same_columns the caller vouches for the values of columns at the same addresses.
  bool evaluate(const Program& program, std::span<const RowValues> values, std::size_t n,
                double* out, bool same_columns = false);

 private:
  // A subexpression: a leaf (value or variable) or an operator on earlier nodes.
  struct Node {
    Op op = Op::push_value;  // push_value, push_variable, or an operator or function
    std::int32_t a = -1;     // operands (node indices), -1 when absent
    std::int32_t b = -1;
    std::int32_t variable = -1;
    double value = 0.0;
    std::uint64_t reads = 0;  // bit k: the node reads scalar variable k
    bool column = false;      // its value varies by row
  };
  // Rows of a node from one evaluation, and the scalar values they were made from.
  struct Slot {
    bool valid = false;
    std::size_t rows = 0;  // offset of the values in store_
    std::size_t key = 0;   // offset of the scalar values in keys_
  };
  static constexpr int slots = 2;  // 0: around the base point; 1: scratch

  bool same_setup(const Program& program, std::span<const RowValues> values, std::size_t n,
                  bool same_columns) const;
  bool set_up(const Program& program, std::span<const RowValues> values, std::size_t n);
  std::int32_t add_node(const Node& node);
  bool key_matches(const Node& node, const Slot& slot) const;
  void move_base();

  Width width_;
  bool ready_ = false;
  std::vector<Instruction> code_;                 // the program the nodes came from
  std::vector<std::int32_t> columns_;             // indices of the column variables
  std::vector<const double*> column_at_;          // their addresses at the last call
  std::vector<std::vector<double>> column_copy_;  // their values at set-up
  std::size_t n_ = 0;
  std::vector<Node> nodes_;
  std::int32_t root_ = -1;
  std::vector<std::array<Slot, slots>> slot_;  // per node (leaves have none)
  std::vector<double> store_;
  std::vector<double> keys_;
  // Per evaluation: the scalar values, the last evaluation's, and the base point that
  // trials move away from one variable at a time.
  std::vector<double> current_, previous_, base_;
  bool have_base_ = false;
  std::vector<std::int8_t> plan_;  // per node: -1 not needed, 0/1 slot used, 2+s compute into s
};

}  // namespace feq_parser::detail
