// Waits in bench/pending until the drawing library is linked into benchmarks.
// Measuring and drawing short Cyrillic cell texts, the work of every grid paint: 10,000 texts are
// measured, and drawn into grid cells with DrawText, and the same done with a plain pango layout per
// text (no cached widths) as the peer. Each benchmark reports the time per text.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr int kTexts = 10000;

std::vector<String> CellTexts() {
  const char* first[] = {"Петар", "Марија", "Ана", "Никола", "Јована", "Стефан", "Елена", "Горан",
                         "Билјана", "Драган", "Весна", "Љупчо", "Ѓорѓи", "Катерина"};
  const char* second[] = {"Петровски", "Николовска", "Стојановски", "Трајковска", "Јовановски",
                          "Димитриевска", "Илиевски", "Ристовска", "Здружение", "Скопје"};
  std::vector<String> texts;
  texts.reserve(kTexts);
  for (int i = 0; i < kTexts; ++i) {
    std::string text = first[i % 14];
    text += ' ';
    text += second[(i / 14) % 10];
    if (i % 3 == 0) {
      text += ' ';
      text += std::to_string(1000 + i);
    }
    texts.push_back(UTF8ToString(text));
  }
  return texts;
}

const std::vector<String>& Texts() {
  static const std::vector<String> texts = CellTexts();
  return texts;
}

void ReportPerText(benchmark::State& state) {
  state.counters["per_text"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTexts,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

HFONT GridFont() {
  return CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
}

void BM_MeasureCellTexts(benchmark::State& state) {
  HDC dc = CreateImageDC(1, 1);
  HFONT font = GridFont();
  SelectObject(dc, font);
  for (auto _ : state) {
    int64_t total = 0;
    for (const String& text : Texts()) {
      TSize size;
      GetTextExtentPoint32(dc, text, &size);
      total += size.cx;
    }
    benchmark::DoNotOptimize(total);
  }
  ReportPerText(state);
  DeleteDC(dc);
  DeleteObject(font);
}
BENCHMARK(BM_MeasureCellTexts)->Unit(benchmark::kMillisecond);

// As a grid paints its cells: a single line, centred vertically, cut with an ellipsis.
void BM_MeasureAndDrawCellTexts(benchmark::State& state) {
  HDC dc = CreateImageDC(1000, 800);
  HFONT font = GridFont();
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  for (auto _ : state) {
    int i = 0;
    for (const String& text : Texts()) {
      TRect cell = Bounds((i % 10) * 100, (i / 10 % 40) * 20, 100, 20);
      TSize size;
      GetTextExtentPoint32(dc, text, &size);
      benchmark::DoNotOptimize(size);
      DrawText(dc, text, cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      ++i;
    }
  }
  ReportPerText(state);
  DeleteDC(dc);
  DeleteObject(font);
}
BENCHMARK(BM_MeasureAndDrawCellTexts)->Unit(benchmark::kMillisecond);

// The peer: a pango layout for each text, measured and shown, with nothing cached between texts.
void BM_PangoLayoutPerText(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 800);
  cairo_t* cr = cairo_create(surface);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans");
  pango_font_description_set_absolute_size(font, 11 * PANGO_SCALE);
  std::vector<std::string> utf8;
  for (const String& text : Texts()) utf8.push_back(UTF8Encode(text));
  for (auto _ : state) {
    int i = 0;
    for (const std::string& text : utf8) {
      PangoLayout* layout = pango_cairo_create_layout(cr);
      pango_layout_set_font_description(layout, font);
      pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
      pango_layout_set_width(layout, 100 * PANGO_SCALE);
      pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      int width = 0, height = 0;
      pango_layout_get_pixel_size(layout, &width, &height);
      cairo_move_to(cr, (i % 10) * 100, (i / 10 % 40) * 20 + (20 - height) / 2);
      pango_cairo_show_layout(cr, layout);
      g_object_unref(layout);
      ++i;
    }
  }
  ReportPerText(state);
  pango_font_description_free(font);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_PangoLayoutPerText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
