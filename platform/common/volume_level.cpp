// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>

#include "platform/volume.h"

namespace platform {

double LevelOfChannels(const long* values, int count, long floor, long norm) {
  if (count <= 0 || norm <= floor) return 0.0;
  const long loudest = *std::max_element(values, values + count);
  const double level = static_cast<double>(loudest - floor) / static_cast<double>(norm - floor);
  return std::clamp(level, 0.0, 1.0);
}

void ScaleChannels(long* values, int count, long floor, long norm, double level) {
  if (count <= 0 || norm <= floor) return;
  const double span = static_cast<double>(norm - floor);
  // Rounded, not truncated: reading a level and setting it back must give the same value, and
  // small steps up must count as much as small steps down on a control with few steps.
  const long target = floor + std::lround(std::clamp(level, 0.0, 1.0) * span);
  const long loudest = *std::max_element(values, values + count);
  if (loudest <= floor) {
    std::fill(values, values + count, target);
    return;
  }
  const double factor = static_cast<double>(target - floor) / static_cast<double>(loudest - floor);
  for (int i = 0; i < count; ++i) {
    const long above = std::max(values[i] - floor, 0L);
    values[i] = values[i] == loudest ? target : floor + std::lround(above * factor);
  }
}

}  // namespace platform
