#pragma once
// The tests' serial lines: pseudo-terminal pairs from the platform layer.

#include "platform/pty_pair.h"

namespace qlxs::test {

using qlxs::PtyPair;

}  // namespace qlxs::test
