#include "codecs/Progress.h"

#include <algorithm>

namespace brisko {

ProgressReporter::ProgressReporter(const ProgressFn& progress, std::uint64_t total)
    : progress_(progress), total_(std::max<std::uint64_t>(total, 1)) {
  Report(0);
}

void ProgressReporter::Advance(std::uint64_t done) {
  const auto percent = static_cast<int>(std::min<std::uint64_t>(done, total_) * 100 / total_);
  Report(std::min(percent, 99));
}

void ProgressReporter::Finish() { Report(100); }

void ProgressReporter::Report(int percent) {
  if (!progress_ || percent <= reported_) return;
  reported_ = percent;
  if (!progress_(percent)) throw Cancelled();
}

}  // namespace brisko
