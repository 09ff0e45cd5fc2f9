// The adjustment dialogs' live preview against the same operation on the
// whole picture, on a 4K screen's worth of pixels. A preview step is what
// one keystroke or track-bar move costs once the dialog is open: the
// models work on the picture fitted into their panel, so a step should stay
// far below the full-picture operation that OK runs. The full-picture rows
// write into a target reused from the last call, so that both sides leave
// out allocation. BM_DialogOpen is the one-off fit into the panel that
// every dialog pays when it shows.

#include <benchmark/benchmark.h>

#include "BenchPictures.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/DialogModels.h"
#include "imageops/ColourAdjust.h"
#include "imageops/Geometric.h"

namespace {

using brisko::Bitmap;
using brisko::bench::Picture;

constexpr std::int32_t kRotatePanelWidth = 180, kRotatePanelHeight = 184;
constexpr std::int32_t kColourPanelWidth = 200, kColourPanelHeight = 169;
constexpr brisko::Colour kHue = brisko::MakeColour(255, 128, 0);

void BM_DialogOpen(benchmark::State& state) {
  brisko::PreviewPair previews;
  for (auto _ : state) {
    previews.Prepare(Picture(), kColourPanelWidth, kColourPanelHeight);
    benchmark::DoNotOptimize(previews.After().Data());
    benchmark::ClobberMemory();
  }
}

// One preview step: `open` shows the dialog on the picture once, `step` is
// the change repeated.
template <typename Model>
void PreviewStep(benchmark::State& state, const std::function<Model()>& open,
                 const std::function<const Bitmap&(Model&)>& step) {
  Model model = open();
  step(model);
  for (auto _ : state) {
    const Bitmap& shown = step(model);
    benchmark::DoNotOptimize(shown.Data());
    benchmark::ClobberMemory();
  }
}


// A Colors dialog of `kind`, opened on the picture.
std::function<brisko::ColorsModel()> OpenColors(std::string_view kind) {
  return [kind] {
    brisko::ColorsModel model(kind);
    model.Prepare(Picture(), kColourPanelWidth, kColourPanelHeight);
    return model;
  };
}

const Bitmap& Shown(brisko::ColorsModel& model) { return model.Previews().After(); }

struct Case {
  std::string name;
  std::function<void(benchmark::State&)> step;
  std::function<void(const Bitmap&, Bitmap&)> full;
};

std::vector<Case> Cases() {
  using namespace brisko;
  using Colors = ColorsModel;
  return {
      {"Rotate37.5",
       [](benchmark::State& state) {
         PreviewStep<RotateModel>(
             state,
             [] {
               RotateModel m;
               m.Prepare(Picture(), kRotatePanelWidth, kRotatePanelHeight);
               return m;
             },
             [](RotateModel& m) -> const Bitmap& {
               m.AngleTyped("37.5");
               return m.Preview();
             });
       },
       [](const Bitmap& s, Bitmap& t) { RotateAngle(s, t, kWhite, 37.5L); }},
      {"Gamma1.50",
       [](benchmark::State& state) {
         PreviewStep<Colors>(state, OpenColors("Gamma"), [](Colors& m) -> const Bitmap& {
           m.ValueTyped("1.50");
           return Shown(m);
         });
       },
       [](const Bitmap& s, Bitmap& t) { AdjustGamma(s, t, 1.5); }},
      {"RGB3Channels",
       [](benchmark::State& state) {
         PreviewStep<RgbModel>(
             state,
             [] {
               RgbModel m;
               m.Prepare(Picture(), kColourPanelWidth, kColourPanelHeight);
               m.ChannelTyped(1, "40");
               m.ChannelTyped(2, "-25");
               return m;
             },
             // With red and green already set, each step applies all three.
             [](RgbModel& m) -> const Bitmap& {
               m.ChannelTyped(3, "30");
               return m.Previews().After();
             });
       },
       [](const Bitmap& s, Bitmap& t) {
         AdjustRGB(s, t, 1, 40);
         AdjustRGB(t, t, 2, -25);
         AdjustRGB(t, t, 3, 30);
       }},
      {"Colors8Bit",
       [](benchmark::State& state) {
         PreviewStep<Colors>(state, OpenColors("Colors"), [](Colors& m) -> const Bitmap& {
           m.FormatChosen(3);
           return Shown(m);
         });
       },
       [](const Bitmap& s, Bitmap& t) { ReduceColors(s, t, 3); }},
      {"Saturation300",
       [](benchmark::State& state) {
         PreviewStep<Colors>(state, OpenColors("Saturation"), [](Colors& m) -> const Bitmap& {
           m.ValueTyped("300");
           return Shown(m);
         });
       },
       [](const Bitmap& s, Bitmap& t) { AdjustSaturation(s, t, 300); }},
      {"Hue",
       [](benchmark::State& state) {
         PreviewStep<Colors>(state, OpenColors("Hue"), [](Colors& m) -> const Bitmap& {
           m.HueChosen(kHue);
           return Shown(m);
         });
       },
       [](const Bitmap& s, Bitmap& t) { AdjustHue(s, t, kHue); }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  Picture();  // built before any timing starts
  benchmark::RegisterBenchmark("BM_DialogOpen", BM_DialogOpen)->Unit(benchmark::kMicrosecond);
  // Step and full picture of one dialog run back to back, so that they see
  // the same machine when other work comes and goes.
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark(("BM_" + c.name + "/step").c_str(), c.step)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_" + c.name + "/full").c_str(), brisko::bench::Reused, c.full)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
