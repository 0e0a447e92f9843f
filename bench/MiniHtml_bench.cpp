// The mini-HTML renderer on the paths the grid takes on every paint and mouse move: a 200-character
// tagged cell (bold, italic, a font colour, a link, a container picture, entities) measured and
// drawn with word wrap in 150 pixels; the same text without tags drawn with DrawText and
// DT_WORDBREAK as the baseline; a hit test at a point; and measuring 10 KB and 1 MB texts for the
// growth (time per KB).
#include <benchmark/benchmark.h>

#include "controls/html/AsgHTMLE.h"
#include "platform/gdi/Gdi.h"

namespace {

const String kCell =
    u"<B>Member</B> <I>Ana Petrovska</I> paid <FONT COLOR=\"#C00000\">1.250,00 &euro;</FONT> "
    u"for <A HREF=\"task://42\">the spring clean-up</A> <IMG SRC=\"logo\"> &amp; the "
    u"<FONT COLOR=\"clNavy\">garden</FONT> fund; receipt &lt;2024-17&gt; &quot;ok&quot;.";

struct TBench {
  TBench() : Dc(CreateImageDC(400, 400)), Box(nullptr) {
    Canvas.SetHandle(Dc);
    TRasterImage image;
    image.Resize(16, 12, 0xFF3070B0);
    TBytesStream stream(EncodePngFile(image));
    ::PictureContainer::TPictureItem* item = Box.Items()->Add();
    item->SetName(u"logo");
    item->Picture()->LoadFromStream(&stream);
    Options.PictureContainer = &Box;
  }
  ~TBench() {
    Canvas.SetHandle(nullptr);
    DeleteDC(Dc);
  }
  HDC Dc;
  TCanvas Canvas;
  ::PictureContainer::TPictureContainer Box;
  THtmlRenderOptions Options;
  THtmlRenderResult Result;
};

const TRect kCellRect{0, 0, 150, 200};

void BM_CellMeasure(benchmark::State& state) {
  TBench b;
  b.Options.MeasureOnly = true;
  for (auto _ : state) {
    RenderHtmlText(&b.Canvas, kCell, kCellRect, b.Options, b.Result);
    benchmark::DoNotOptimize(b.Result.HeightOut);
  }
}
BENCHMARK(BM_CellMeasure);

void BM_CellDraw(benchmark::State& state) {
  TBench b;
  for (auto _ : state) {
    RenderHtmlText(&b.Canvas, kCell, kCellRect, b.Options, b.Result);
    benchmark::DoNotOptimize(b.Result.HeightOut);
  }
}
BENCHMARK(BM_CellDraw);

// The baseline: the same words without tags, drawn in one DrawText call.
void BM_PlainCellDrawText(benchmark::State& state) {
  TBench b;
  const String plain = StripHtmlTags(kCell);
  HDC dc = b.Canvas.Handle();
  for (auto _ : state) {
    TRect r = kCellRect;
    benchmark::DoNotOptimize(DrawText(dc, plain, r, DT_WORDBREAK));
  }
}
BENCHMARK(BM_PlainCellDrawText);

void BM_CellHitTest(benchmark::State& state) {
  TBench b;
  b.Options.HitTest = true;
  b.Options.XPos = 40;
  b.Options.YPos = 40;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RenderHtmlText(&b.Canvas, kCell, kCellRect, b.Options, b.Result));
  }
}
BENCHMARK(BM_CellHitTest);

void BM_MeasureLongText(benchmark::State& state) {
  TBench b;
  b.Options.MeasureOnly = true;
  String text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += kCell + u"<BR>";
  for (auto _ : state) {
    RenderHtmlText(&b.Canvas, text, TRect{0, 0, 400, 400}, b.Options, b.Result);
    benchmark::DoNotOptimize(b.Result.HeightOut);
  }
  state.counters["per_KB"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(text.size()) / 1024,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MeasureLongText)->Arg(10 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
