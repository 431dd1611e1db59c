#pragma once
// Counts the heap allocations of a benchmark executable: every benchmark is
// linked with a replacement of the global operator new that counts.

namespace qlxs::bench {

/// Allocations through operator new since the process started.
long Allocations();

}  // namespace qlxs::bench
