// In-place sort of a key array that carries up to three companion arrays along.
#pragma once

#include <span>

namespace quillon::data_import::dsort3_module {

// Sorts dx[0..n-1] increasing (kflag > 0) or decreasing (kflag < 0) and applies every
// interchange to the companions chosen by |kflag|: 1 none, 2 dy, 3 dy and dz, 4 dy, dz
// and dw. Companions that are not carried are not touched and may be empty.
// n < 1 or an impossible kflag ends the program (textio::FatalError).
// The order of equal keys is the one Singleton's quicksort produces; it is visible
// in the report, so the routine's control flow must not be "simplified".
void dsort3(std::span<double> dx, std::span<double> dy, std::span<double> dz, std::span<double> dw,
            int n, int kflag);

}  // namespace quillon::data_import::dsort3_module
