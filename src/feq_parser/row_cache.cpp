#include "feq_parser/row_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "numerics/bits.h"
#include "textio/text_utils.h"

namespace quillon::feq_parser::detail {

namespace {

// Above this many stored values (2 MB) the rows are evaluated afresh every time.
constexpr std::size_t max_store = std::size_t{1} << 18;

// The same bits in every row, compared as bytes.
bool same_rows(const double* a, const double* b, std::size_t n) {
  return textio::same_text({reinterpret_cast<const char*>(a), n * sizeof(double)},
                           {reinterpret_cast<const char*>(b), n * sizeof(double)});
}

bool same_bits(double a, double b) {
  return numerics::bit_cast<std::uint64_t>(a) == numerics::bit_cast<std::uint64_t>(b);
}

bool same_instruction(const Instruction& a, const Instruction& b) {
  return a.op == b.op && a.index == b.index && same_bits(a.value, b.value);
}

bool is_push(Op op) {
  return op == Op::push_value || op == Op::push_variable;
}

bool at_most_one(std::uint64_t mask) {
  return (mask & (mask - 1)) == 0;
}

bool is_binary(Op op) {
  return op >= Op::add && op <= Op::binary_other;
}

}  // namespace

bool RowCache::same_setup(const Program& program, std::span<const RowValues> values, std::size_t n,
                          bool same_columns) const {
  if (!ready_ || n != n_ || code_.size() != static_cast<std::size_t>(program.count))
    return false;
  if (same_columns) {
    // The caller vouches for the program and the columns: only the addresses are checked.
    std::size_t c = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (values[k].column == nullptr)
        continue;
      if (c == columns_.size() || values[k].column != column_at_[c])
        return false;
      ++c;
    }
    return c == columns_.size() && current_.size() == values.size();
  }
  for (std::size_t k = 0; k < code_.size(); ++k) {
    if (!same_instruction(code_[k], program.code[k]))
      return false;
  }
  std::size_t c = 0;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (values[k].column == nullptr)
      continue;
    if (c == columns_.size() || columns_[c] != static_cast<std::int32_t>(k))
      return false;
    if (!same_rows(values[k].column, column_copy_[c].data(), n))
      return false;
    ++c;
  }
  return c == columns_.size() && current_.size() == values.size();
}

std::int32_t RowCache::add_node(const Node& node) {
  // A subexpression met before is the same node: its rows are the same bits.
  for (std::size_t k = 0; k < nodes_.size(); ++k) {
    const Node& m = nodes_[k];
    if (m.op == node.op && m.a == node.a && m.b == node.b && m.variable == node.variable &&
        same_bits(m.value, node.value)) {
      return static_cast<std::int32_t>(k);
    }
  }
  Node made = node;
  for (const std::int32_t operand : {node.a, node.b}) {
    if (operand >= 0) {
      made.reads |= nodes_[operand].reads;
      made.column = made.column || nodes_[operand].column;
    }
  }
  nodes_.push_back(made);
  return static_cast<std::int32_t>(nodes_.size() - 1);
}

bool RowCache::set_up(const Program& program, std::span<const RowValues> values, std::size_t n) {
  ready_ = false;
  have_base_ = false;
  if (values.size() > 64)
    return false;  // the read sets are 64-bit masks
  code_.assign(program.code, program.code + program.count);
  columns_.clear();
  column_copy_.clear();
  column_at_.clear();
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (values[k].column != nullptr) {
      columns_.push_back(static_cast<std::int32_t>(k));
      column_copy_.emplace_back(values[k].column, values[k].column + n);
      column_at_.push_back(values[k].column);
    }
  }
  n_ = n;

  nodes_.clear();
  std::vector<std::int32_t> stack;
  auto variable = [&](std::int32_t index) {
    Node leaf{Op::push_variable, -1, -1, index, 0.0, 0, false};
    if (values[static_cast<std::size_t>(index)].column != nullptr) {
      leaf.column = true;
    } else {
      leaf.reads = std::uint64_t{1} << index;
    }
    return add_node(leaf);
  };
  auto constant = [&](double v) { return add_node(Node{Op::push_value, -1, -1, -1, v, 0, false}); };
  for (const Instruction& in : code_) {
    const Op op = unfused(in.op);
    std::int32_t right = -1;
    if (in.op == Op::push_value || (in.op >= Op::add_value && in.op < Op::add_variable)) {
      right = constant(in.value);
    } else if (in.op == Op::push_variable || in.op >= Op::add_variable) {
      right = variable(in.index);
    }
    if (is_push(in.op)) {
      stack.push_back(right);
      continue;
    }
    if (right < 0 && is_binary(op)) {
      right = stack.back();
      stack.pop_back();
    }
    if (op == Op::binary_other || op == Op::function_other) {
      stack.back() = constant(0.0);  // whatever the operands
      continue;
    }
    const std::int32_t left = stack.back();
    stack.back() = is_binary(op) ? add_node(Node{op, left, right, -1, 0.0, 0, false})
                                 : add_node(Node{op, left, -1, -1, 0.0, 0, false});
  }
  root_ = stack.back();

  std::size_t total = 0;
  operators_.clear();
  for (std::size_t k = 0; k < nodes_.size(); ++k) {
    if (is_push(nodes_[k].op))
      continue;
    operators_.push_back(static_cast<std::int32_t>(k));
    total += 2 * (nodes_[k].column ? n : 1);
  }
  if (total > max_store)
    return false;
  store_.assign(total, 0.0);
  rows_.assign(nodes_.size(), Rows{});
  std::size_t at = 0;
  for (const std::int32_t k : operators_) {
    for (std::size_t& offset : rows_[static_cast<std::size_t>(k)].at) {
      offset = at;
      at += nodes_[static_cast<std::size_t>(k)].column ? n : 1;
    }
  }
  current_.assign(values.size(), 0.0);
  previous_ = current_;
  base_ = current_;
  ready_ = true;
  return true;
}

std::uint64_t RowCache::differences(const std::vector<double>& from) const {
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < current_.size(); ++k) {
    if (!same_bits(from[k], current_[k]))
      mask |= std::uint64_t{1} << k;
  }
  return mask;
}

// A point that differs from the base in more than one variable moves the base: to the
// last evaluation when that is one step away from both (an accepted trial, whose rows
// then become the base's as they are), else to the point itself.
void RowCache::move_base() {
  if (!have_base_) {
    base_ = current_;
    have_base_ = true;
    return;
  }
  if (at_most_one(differences(base_)))
    return;
  if (at_most_one(differences(previous_))) {
    std::uint64_t changed = 0;
    for (std::size_t k = 0; k < current_.size(); ++k) {
      if (!same_bits(previous_[k], base_[k]))
        changed |= std::uint64_t{1} << k;
    }
    for (const std::int32_t k : operators_) {
      Rows& r = rows_[static_cast<std::size_t>(k)];
      if ((nodes_[static_cast<std::size_t>(k)].reads & changed) == 0)
        continue;
      // Made at the last evaluation, so at the new base's values.
      r.base_valid = r.trial_last;
      if (r.trial_last)
        std::swap(r.at[0], r.at[1]);
      r.trial_last = false;
    }
    base_ = previous_;
  } else {
    const std::uint64_t changed = differences(base_);
    for (const std::int32_t k : operators_) {
      if ((nodes_[static_cast<std::size_t>(k)].reads & changed) != 0)
        rows_[static_cast<std::size_t>(k)].base_valid = false;
    }
    base_ = current_;
  }
}

Item RowCache::item(std::span<const RowValues> values, std::int32_t index) const {
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  if (node.op == Op::push_value)
    return {nullptr, node.value};
  if (node.op == Op::push_variable) {
    const RowValues& v = values[static_cast<std::size_t>(node.variable)];
    return {v.column, v.value};
  }
  const Rows& r = rows_[static_cast<std::size_t>(index)];
  const double* rows = store_.data() + r.at[static_cast<std::size_t>(r.used)];
  return node.column ? Item{rows, 0.0} : Item{nullptr, rows[0]};
}

bool RowCache::evaluate(const Program& program, std::span<const RowValues> values, std::size_t n,
                        double* out, bool same_columns) {
  if (program.checked)
    return false;
  if (values.size() < static_cast<std::size_t>(program.values_needed))
    return run_rows(program, values, n, out);  // which reports the shortfall
  if (!same_setup(program, values, n, same_columns) && !set_up(program, values, n))
    return run_rows(program, values, n, out);
  for (std::size_t c = 0; c < columns_.size(); ++c)
    column_at_[c] = values[static_cast<std::size_t>(columns_[c])].column;

  for (std::size_t k = 0; k < values.size(); ++k)
    current_[k] = values[k].column == nullptr ? values[k].value : 0.0;
  move_base();
  const std::uint64_t moved = differences(base_);  // at most one variable

  // Operands before the nodes that read them. A node that reads no moved variable has
  // its rows at the base point; the others are made afresh as the trial's.
  for (const std::int32_t k : operators_) {
    const Node& node = nodes_[static_cast<std::size_t>(k)];
    Rows& r = rows_[static_cast<std::size_t>(k)];
    const bool trial = (node.reads & moved) != 0;
    r.trial_last = trial;
    r.used = trial ? 1 : 0;
    if (!trial && r.base_valid)
      continue;
    // The root reads every parameter as a rule: it is made straight into out.
    const bool root = k == root_ && node.column;
    double* rows = root ? out : store_.data() + r.at[static_cast<std::size_t>(r.used)];
    const Item a = item(values, node.a);
    const Item result = node.b >= 0
                            ? apply_binary(node.op, a, item(values, node.b), rows, n, width_)
                            : apply_unary(node.op, a, rows, n);
    if (root) {
      r.trial_last = false;
      r.base_valid = false;
      previous_.swap(current_);
      return true;
    }
    if (!node.column)
      rows[0] = result.value;
    r.base_valid = r.base_valid || !trial;
  }
  previous_.swap(current_);  // current_ is refilled at the next call

  const Item result = item(values, root_);
  if (result.column == nullptr) {
    std::fill_n(out, n, result.value);
  } else {
    std::copy_n(result.column, n, out);
  }
  return true;
}

}  // namespace quillon::feq_parser::detail
