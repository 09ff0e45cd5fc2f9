#include <benchmark/benchmark.h>

#include "BenchPictures.h"

#include <cstring>
#include <random>
#include <vector>

#include "core/Bmp.h"

namespace {

using brisko::Bitmap;

using brisko::bench::kHeight;
using brisko::bench::kWidth;
using brisko::bench::Picture;

const std::vector<std::uint8_t>& EncodedPicture() {
  static const std::vector<std::uint8_t> file = [] {
    brisko::MemorySink sink;
    brisko::WriteBmp(Picture(), sink);
    return sink.Take();
  }();
  return file;
}

void BM_WriteBmpToReusedBuffer(benchmark::State& state) {
  const Bitmap& picture = Picture();
  // Keeps its buffer between runs, as a caller saving repeatedly would.
  brisko::MemorySink sink;
  for (auto _ : state) {
    sink.Clear();
    brisko::WriteBmp(picture, sink);
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncodedPicture().size()));
}
BENCHMARK(BM_WriteBmpToReusedBuffer)->Unit(benchmark::kMillisecond);

void BM_ReadBmp(benchmark::State& state) {
  const auto& file = EncodedPicture();
  for (auto _ : state) {
    const Bitmap b = brisko::ReadBmp(file);
    benchmark::DoNotOptimize(b.Data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ReadBmp)->Unit(benchmark::kMillisecond);

// The floor both sides are measured against: one copy of the file's bytes.
void BM_MemcpyFileSize(benchmark::State& state) {
  const auto& source = EncodedPicture();
  std::vector<std::uint8_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_MemcpyFileSize)->Unit(benchmark::kMillisecond);

// What a one-off save to memory costs: the sink grows from nothing, so page
// faults and regrowth copies dominate. Registered last because the memory it
// churns through slows down the benchmarks that would follow it.
void BM_WriteBmpToFreshMemorySink(benchmark::State& state) {
  const Bitmap& picture = Picture();
  for (auto _ : state) {
    brisko::MemorySink sink;
    brisko::WriteBmp(picture, sink);
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncodedPicture().size()));
}
BENCHMARK(BM_WriteBmpToFreshMemorySink)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
