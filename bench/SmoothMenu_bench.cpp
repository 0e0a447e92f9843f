// One moving glide step of the main window's smooth menu: the eleven Cyrillic items laid out
// again (a text measure each) and the whole bar painted through its memory bitmap, at the main
// window's width. The glide ticks every 10 ms, so the time per step and its share of that tick
// are the figures to watch. Ours only: there is no other smooth menu to compare with.
#include <benchmark/benchmark.h>

#include <chrono>

#include "controls/graphics/AdvSmoothMenu.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiSession.h"

namespace {

const char16_t* const kCaptions[] = {u"Настани", u"Новости",     u"Задачи",  u"Магацин",
                                     u"Членови", u"Тимови",      u"Донации-IN",
                                     u"Донации-OUT", u"Трошоци", u"Извештаи", u"Излез"};

void BM_SmoothMenuGlideStep(benchmark::State& state) {
  THeadlessUiSession session;
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetClientWidth(780);
  form->SetClientHeight(200);
  auto* menu = new TAdvSmoothMenu(form);
  menu->SetBounds(0, 0, 780, 80);
  for (const char16_t* caption : kCaptions) {
    TAdvSmoothMenuItem* item = menu->Items()->Add();
    item->SetCaption(caption);
    item->SetNotes(String(u"Листа на ") + caption + u" на В.О. Завел Тремаволт");
  }
  menu->SetComponentStyle(4);
  menu->SetParent(form);
  form->Show();
  Application->ProcessMessages();
  double seconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    menu->LayoutItems();
    menu->Repaint();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double perStep = seconds / static_cast<double>(state.iterations());
  state.counters["share_of_10ms_tick_%"] = perStep / 0.010 * 100;
  state.SetLabel("layout and double-buffered paint of the 11-item bar, 780 x 80");
}
BENCHMARK(BM_SmoothMenuGlideStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
