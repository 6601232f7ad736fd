// Derivative-free steepest descent with an adaptive step length. The gradient is
// estimated by central differences, each move has length alpha along the
// normalised gradient, and alpha grows or shrinks from the history of values.
#pragma once

#include <span>
#include <type_traits>

#include "models/catalogue.h"

namespace quillon::optimise::mod_steepest {

// The strategy's constants, in one place.
namespace constants {
inline constexpr double smallest_step = 1.0e-08;      // alpha starts at max(this, step0)
inline constexpr double norm_offset = 1.0e-08;        // added to |d|
inline constexpr double growth = 1.2;                 // two changes of one sign in a row
inline constexpr double shrink = 0.6;                 // after a move that lowered F
inline constexpr double history_guard = 1.0e-15;      // smallest |Fp - Fo| for the growth test
inline constexpr double smallest_h = 1.0e-12;         // difference half-step floor
inline constexpr double relative_delta = 1.0e-08;     // times |x(k)|
inline constexpr double smallest_gradient = 1.0e-08;  // |d(k)| floor (positive)
inline constexpr double recovery_below = 1.0e-08;     // alpha that triggers the recovery
inline constexpr int recovery_tries = 100;
inline constexpr double recovery_halving = 0.5;
inline constexpr double recovery_slope = 1.0e-04;
inline constexpr double recovery_floor = 0.01;  // alpha * 10 * max(t/2, this)
}  // namespace constants

// Borrowed reference to an objective f(x); never owns or allocates.
class Objective {
 public:
  // A temporary callable lives until the end of the full expression of the call.
  template <typename F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, Objective> &&
           !std::is_function_v<std::remove_reference_t<F>> &&
           std::is_invocable_r_v<double, F&, std::span<const double>>)
      Objective(F&& f)  // NOLINT(google-explicit-constructor)
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, std::span<const double> x) {
          return static_cast<double>((*static_cast<std::remove_reference_t<F>*>(o))(x));
        }) {}
  double operator()(std::span<const double> x) const { return call_(object_, x); }

 private:
  void* object_;
  double (*call_)(void*, std::span<const double>);
};

struct Settings {
  int minimise = 1;      // 0 increases f, anything else decreases it
  double step0 = 1.0;    // initial step length
  double tol = 1.0e-06;  // tolerance on the change of F between two steps
  int maxit = 260;       // largest number of steps
};

enum class StopReason { max_iterations, tolerance };

struct Result {
  double fx = 0.0;  // f at the returned point
  int iter = 0;     // steps taken
  bool converged = false;
  StopReason reason = StopReason::max_iterations;
  long long evaluations = 0;
};

// Descends from x (one value or more) and leaves in x the point after the last move;
// no record of the best point seen is kept. Throws std::invalid_argument for an
// empty x.
Result steepda(Objective f, std::span<double> x, const Settings& settings);

}  // namespace quillon::optimise::mod_steepest
