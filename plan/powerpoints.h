#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace plan {

// x^p, each as std::pow gives it, at the points whose bit patterns keep
// only the top mantissa bits: x_i = (first + i) << shift (read as a
// double) for i below count. The tables are shared by the whole process,
// since the rooms of a building have few distinct laws and a table costs
// tens of thousands of std::pow; the most recent few are kept. Safe to
// call from any thread; a table returned never changes.
std::shared_ptr<const std::vector<double>> powerPoints(double p, int shift, std::uint64_t first,
                                                       std::uint64_t count);

} // namespace plan
