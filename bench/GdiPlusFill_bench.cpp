// One paint of a fill in the main window menu's look: a 300 x 40 body with the menu preset's
// colours, a mirror half, a border, rounding 8, a shadow of 5 and a radial glow, into a 32-bit
// bitmap. Glide and fade animations repaint it every 10 to 20 ms, so the time per paint is the
// figure to watch. Ours only: there is no other fill painter to compare with.
#include <benchmark/benchmark.h>

#include "controls/graphics/GDIPFill.h"

namespace {

void BM_FillMenuLook(benchmark::State& state) {
  TGPBitmap bitmap(320, 60, PixelFormat32bppARGB);
  TGPGraphics graphics(&bitmap);
  TGDIPFill fill;
  fill.SetColor(static_cast<TColor>(0x00FAF1E9));
  fill.SetColorTo(static_cast<TColor>(0x00EDD8C7));
  fill.SetColorMirror(static_cast<TColor>(0x00EDD8C7));
  fill.SetColorMirrorTo(static_cast<TColor>(0x00FFF2E7));
  fill.SetGradientMirrorType(gtVertical);
  fill.SetBorderColor(static_cast<TColor>(0x00E3B28D));
  fill.SetRounding(8);
  fill.SetShadowOffset(5);
  fill.SetGlow(gmRadial);
  graphics.SetSmoothingMode(SmoothingModeAntiAlias);
  for (auto _ : state) {
    TGPFloatRect body = fill.Fill(&graphics, MakeRectF(5, 5, 300, 40));
    benchmark::DoNotOptimize(body);
  }
  state.SetLabel("time per paint of a 300 x 40 menu fill");
}
BENCHMARK(BM_FillMenuLook)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
