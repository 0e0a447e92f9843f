// One frame of a glow button in the middle of a hover fade: a 100 x 41 body with the hot and
// normal sets blended, the outline, a caption and a picture, into the canvas of a bitmap. A fade
// repaints every 20 ms, so the time per frame is the figure to watch. Ours only: there is no
// other glow button to compare with.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "controls/graphics/AdvGlowButton.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiSession.h"

namespace {

using namespace AdvGlowButton;

TColor Blend(TColor hot, TColor normal) { return BlendColor(hot, normal, 60); }

void BM_GlowButtonFadeFrame(benchmark::State& state) {
  THeadlessUiSession session;
  TForm* form = nullptr;
  Application->CreateForm(form);
  auto* button = new TAdvGlowButton(form);
  button->SetParent(form);
  TGDIPPicture picture;
  std::ifstream file(SOURCE_DIR "/tests/platform/gdi/fixtures/pattern_rgba.png", std::ios::binary);
  TBytesStream stream(TBytes(std::istreambuf_iterator<char>(file), {}));
  picture.LoadFromStream(&stream);
  TFont font;
  font.SetName(u"Segoe UI");
  const TGlowButtonAppearance& a = *button->Appearance();
  TGlowDrawParams p;
  p.Colors = {Blend(a.ColorHot(), a.Color()),
              Blend(a.ColorHotTo(), a.ColorTo()),
              Blend(a.ColorMirrorHot(), a.ColorMirror()),
              Blend(a.ColorMirrorHotTo(), a.ColorMirrorTo()),
              Blend(a.BorderColorHot(), a.BorderColor()),
              ggRadial,
              ggRadial};
  p.Caption = u"ПОТВРДИ";
  p.Font = &font;
  p.Picture = &picture;
  p.StateColors = true;
  p.Hot = true;
  TBitmap bitmap(100, 41);
  for (auto _ : state) {
    TSize size = DrawGlowButton(button, bitmap.Canvas(), Rect(0, 0, 100, 41), p);
    benchmark::DoNotOptimize(size);
  }
  state.SetLabel("time per frame of a hot, fading 100 x 41 button with caption and picture");
}
BENCHMARK(BM_GlowButtonFadeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
