// SPDX-License-Identifier: GPL-3.0-or-later
// Counts every allocation through the global operator new, for tests that prove a path
// allocates nothing. A test binary gets the counting operators by linking
// tavrel_allocation_counter; they replace the global ones for the whole binary.
#pragma once

namespace tavrel::testing {

long AllocationCount();

}  // namespace tavrel::testing
