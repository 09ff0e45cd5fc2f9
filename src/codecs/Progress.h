#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace brisko {

// Told how far a read or write has come, in percent: 0 first, 100 last when
// it succeeds, rising in between, each value at most once. Returning false
// makes the codec give up with Cancelled.
using ProgressFn = std::function<bool(int percent)>;

// A codec gave up because its progress function asked it to. Not an
// ImageError: nothing was wrong with the picture or the file.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("The operation was cancelled.") {}
};

// Turns units of work done into percent reports for a ProgressFn, which may
// be empty.
class ProgressReporter {
 public:
  // Reports 0 at once.
  ProgressReporter(const ProgressFn& progress, std::uint64_t total);
  ProgressReporter(const ProgressReporter&) = delete;
  ProgressReporter& operator=(const ProgressReporter&) = delete;

  // `done` of `total` units are finished; 100 is kept for Finish.
  void Advance(std::uint64_t done);
  void Finish();

 private:
  void Report(int percent);

  const ProgressFn& progress_;
  std::uint64_t total_;
  int reported_ = -1;
};

}  // namespace brisko
