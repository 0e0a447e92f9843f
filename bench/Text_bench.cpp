// Measuring and drawing short Cyrillic cell texts, the work of every grid paint, ours next to pango
// used directly as the peer, in rounds where the sides alternate. Each pair does the same work:
// - measure: 10,000 texts measured. Ours is GetTextExtentPoint32, which sums advance widths the
//   font face keeps per character; the peer keeps one reused pango layout and a width cache keyed
//   by the text, so a text is shaped once and looked up after that.
// - measure and draw: the same texts measured and drawn into grid cells as a grid paints them (one
//   line, centred vertically, cut with an ellipsis). Ours is DrawText, which lays the line out from
//   the cached widths and draws glyphs the face has looked up once; the peer keeps, per text, its
//   width and its ellipsized layout (shaped once) and shows that layout.
// Both sides are warmed by one pass before the timed ones, so every ratio compares cached work with
// cached work. Printed: CPU time per text of each side per round, and the median ratio own/peer.
//
// Build (Release) and run: build/rel/bench/Text_bench
#include <pango/pangocairo.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/BenchSupport.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr int kTexts = 10000;
constexpr int kRounds = 5;
constexpr int kMeasurePasses = 200;
constexpr int kDrawPasses = 10;
constexpr int kCellWidth = 100, kCellHeight = 20;

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

const std::vector<std::string>& Utf8Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> utf8;
    for (const String& text : Texts()) utf8.push_back(UTF8Encode(text));
    return utf8;
  }();
  return texts;
}

TRect Cell(int i) {
  return Bounds((i % 10) * kCellWidth, (i / 10 % 40) * kCellHeight, kCellWidth, kCellHeight);
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU microseconds per text of passes over every text; one untimed pass warms the caches.
double MicrosPerText(const std::function<void()>& pass, int passes) {
  pass();
  double start = CpuSeconds();
  for (int p = 0; p < passes; ++p) pass();
  return (CpuSeconds() - start) * 1e6 / (static_cast<double>(passes) * kTexts);
}

HFONT GridFont() {
  return CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
}

// Ours: a device context with the grid's font.
struct OwnSide {
  HDC dc = CreateImageDC(1000, 800);
  HFONT font = GridFont();
  OwnSide() {
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
  }
  ~OwnSide() {
    DeleteDC(dc);
    DeleteObject(font);
  }

  void Measure() {
    int64_t total = 0;
    for (const String& text : Texts()) {
      TSize size;
      GetTextExtentPoint32(dc, text, &size);
      total += size.cx;
    }
    if (total <= 0) std::abort();
  }

  void MeasureAndDraw() {
    int i = 0;
    for (const String& text : Texts()) {
      TRect cell = Cell(i++);
      TSize size;
      GetTextExtentPoint32(dc, text, &size);
      if (size.cx <= 0) std::abort();
      DrawText(dc, text, cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }
};

// The peer: pango with the caches described above.
struct PeerSide {
  struct Shaped {
    int Width = 0;
    PangoLayout* Cut = nullptr;  // ellipsized to the cell, made on the first draw
    int CutHeight = 0;
  };
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 800);
  cairo_t* cr = cairo_create(surface);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans");
  PangoLayout* measurer = nullptr;
  std::unordered_map<std::string, Shaped> cache;

  PeerSide() {
    pango_font_description_set_absolute_size(font, 11 * PANGO_SCALE);
    measurer = pango_cairo_create_layout(cr);
    pango_layout_set_font_description(measurer, font);
  }
  ~PeerSide() {
    for (auto& entry : cache)
      if (entry.second.Cut != nullptr) g_object_unref(entry.second.Cut);
    g_object_unref(measurer);
    pango_font_description_free(font);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }

  Shaped& Lookup(const std::string& text) {
    auto [it, added] = cache.try_emplace(text);
    if (added) {
      pango_layout_set_text(measurer, text.data(), static_cast<int>(text.size()));
      int height = 0;
      pango_layout_get_pixel_size(measurer, &it->second.Width, &height);
    }
    return it->second;
  }

  void Measure() {
    int64_t total = 0;
    for (const std::string& text : Utf8Texts()) total += Lookup(text).Width;
    if (total <= 0) std::abort();
  }

  void MeasureAndDraw() {
    int i = 0;
    for (const std::string& text : Utf8Texts()) {
      Shaped& shaped = Lookup(text);
      if (shaped.Width <= 0) std::abort();
      if (shaped.Cut == nullptr) {
        shaped.Cut = pango_cairo_create_layout(cr);
        pango_layout_set_font_description(shaped.Cut, font);
        pango_layout_set_text(shaped.Cut, text.data(), static_cast<int>(text.size()));
        pango_layout_set_width(shaped.Cut, kCellWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(shaped.Cut, PANGO_ELLIPSIZE_END);
        int width = 0;
        pango_layout_get_pixel_size(shaped.Cut, &width, &shaped.CutHeight);
      }
      TRect cell = Cell(i++);
      cairo_save(cr);
      cairo_rectangle(cr, cell.Left, cell.Top, kCellWidth, kCellHeight);
      cairo_clip(cr);
      cairo_move_to(cr, cell.Left, cell.Top + (kCellHeight - shaped.CutHeight) / 2);
      pango_cairo_show_layout(cr, shaped.Cut);
      cairo_restore(cr);
    }
  }
};

struct Pair {
  const char* Name;
  std::vector<double> Own, Peer;
};

void Print(const Pair& pair) {
  std::vector<double> ratios;
  for (size_t r = 0; r < pair.Own.size(); ++r) ratios.push_back(pair.Own[r] / pair.Peer[r]);
  std::printf("%-17s median: own %.3f us  peer %.3f us  ratio own/peer %.2f\n", pair.Name,
              bench::Median(pair.Own), bench::Median(pair.Peer), bench::Median(ratios));
}

}  // namespace

int main() {
  OwnSide own;
  PeerSide peer;
  Pair measure{"measure", {}, {}};
  Pair draw{"measure and draw", {}, {}};
  for (int round = 1; round <= kRounds; ++round) {
    // The side that goes first changes every round.
    bool ownFirst = round % 2 == 1;
    auto run = [&](Pair& pair, const std::function<void()>& ownPass,
                   const std::function<void()>& peerPass, int passes) {
      double o = 0, p = 0;
      if (ownFirst) o = MicrosPerText(ownPass, passes);
      p = MicrosPerText(peerPass, passes);
      if (!ownFirst) o = MicrosPerText(ownPass, passes);
      pair.Own.push_back(o);
      pair.Peer.push_back(p);
      std::printf("round %d %-17s own %.3f us/text  peer %.3f us/text  ratio %.2f\n", round,
                  pair.Name, o, p, o / p);
    };
    run(measure, [&] { own.Measure(); }, [&] { peer.Measure(); }, kMeasurePasses);
    run(draw, [&] { own.MeasureAndDraw(); }, [&] { peer.MeasureAndDraw(); }, kDrawPasses);
  }
  Print(measure);
  Print(draw);
  return 0;
}
