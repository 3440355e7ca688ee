#pragma once
// What --sim-strict prints at the end of a run on the simulated board: how many protocol
// violations the virtual chips logged and the first few of them, on standard error. Judging the
// run by that count is the caller's.
#include <cstddef>
#include <ostream>

namespace tarpel::sim {
class SimulatedBoard;
}

namespace tarpel::cli {

// Violations shown one by one; the rest only count.
inline constexpr std::size_t ShownViolations = 10;

// Writes nothing and returns 0 when the chips logged none; else the count.
std::size_t ReportSimViolations(sim::SimulatedBoard& board, std::ostream& err);

}  // namespace tarpel::cli
