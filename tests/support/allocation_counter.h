// Counts heap allocations made through operator new, for tests that check that a
// hot path allocates nothing. Link quillon_allocation_counter to use it.
#pragma once

namespace quillon::testing {

long long heap_allocations();

}  // namespace quillon::testing
