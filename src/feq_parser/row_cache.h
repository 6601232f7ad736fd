// Evaluation of a program over the same rows time after time, keeping the values of
// its subexpressions from one evaluation to the next.
//
// A coordinate search moves one parameter per trial away from a base point (its
// best so far), so a subexpression that does not read that parameter has the rows it
// had at the base: X2/P3 keeps its rows while P1 or P2 moves, and so does
// (P1/X1)^P3 while P2 moves. Each subexpression keeps its rows at the base point and
// those of the last trial; when a trial is accepted it becomes the base and its rows
// are kept as they are. Whatever is worked out is worked out by the same operation on
// the same operands as run_rows does it, so the results are the same bits; a repeated
// subexpression (X1^P3 twice in the Hill model) is worked out once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "feq_parser/evaluation.h"

namespace quillon::feq_parser::detail {

class RowCache {
 public:
  // The vector width is the processor's widest unless a test asks for another.
  explicit RowCache(Width width = widest_width()) : width_(width) {}

  // As run_rows: rows 0..n-1 into out, or false, with nothing done, when the program
  // needs the checked evaluation. Stored rows are used only while the program, the
  // set of column variables, n and every column's values stay the same; with
  // same_columns the caller vouches that the program and the values of columns at the
  // same addresses are those of the last call.
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
  // The stored rows of an operator node.
  struct Rows {
    std::array<std::size_t, 2> at{};  // offsets in store_: [0] the base point, [1] the last trial
    bool base_valid = false;          // [0] holds the rows at base_
    bool trial_last = false;          // [1] was made by the last evaluation
    std::int8_t used = 0;             // which one this evaluation reads
  };

  bool same_setup(const Program& program, std::span<const RowValues> values, std::size_t n,
                  bool same_columns) const;
  bool set_up(const Program& program, std::span<const RowValues> values, std::size_t n);
  std::int32_t add_node(const Node& node);
  std::uint64_t differences(const std::vector<double>& from) const;
  void move_base();
  Item item(std::span<const RowValues> values, std::int32_t index) const;

  Width width_;
  bool ready_ = false;
  std::vector<Instruction> code_;                 // the program the nodes came from
  std::vector<std::int32_t> columns_;             // indices of the column variables
  std::vector<const double*> column_at_;          // their addresses at the last call
  std::vector<std::vector<double>> column_copy_;  // their values at set-up
  std::size_t n_ = 0;
  std::vector<Node> nodes_;
  std::vector<std::int32_t> operators_;  // the operator nodes, operands first
  std::int32_t root_ = -1;
  std::vector<Rows> rows_;  // per node (leaves have none)
  std::vector<double> store_;
  // The scalar values of this evaluation, of the last one, and of the base point.
  std::vector<double> current_, previous_, base_;
  bool have_base_ = false;
};

}  // namespace quillon::feq_parser::detail
