// The grid filter's wildcard match against glibc fnmatch on the same text in UTF-8: patterns of
// 3 to 40 stars over 10 KB and 100 KB cell texts. The patterns match (a failing many-star
// pattern is exponential in fnmatch); each benchmark reports the time per match.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <string>

#include "controls/grid/AdvUtil.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String CellText(size_t units) {
  const String word = u"Здружение Скопје ";
  String text;
  while (text.size() < units) text += word;
  text.resize(units);
  return text;
}

String Pattern(int stars) {
  String p;
  for (int i = 1; i < stars; ++i) p += u"*е";
  return p + u"*";
}

void BM_FilterWildcard(benchmark::State& state) {
  const String text = CellText(static_cast<size_t>(state.range(1)));
  const String pattern = Pattern(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(AdvUtil::MatchFilterExpression(pattern, text, true));
}

void BM_Fnmatch(benchmark::State& state) {
  const std::string text = UTF8Encode(CellText(static_cast<size_t>(state.range(1))));
  const std::string pattern = UTF8Encode(Pattern(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(fnmatch(pattern.c_str(), text.c_str(), 0));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int stars : {3, 10, 40})
    for (int units : {10 * 1024, 100 * 1024}) b->Args({stars, units});
}

}  // namespace

BENCHMARK(BM_FilterWildcard)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fnmatch)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
