#include <benchmark/benchmark.h>

#include "catalogue/catalogue.h"
#include "text/gbk.h"
#include "text/markers.h"

namespace {

// Building the catalogue arrays is on the start-up path.
void BM_BuildCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        arlo::catalogue::Catalogue c(arlo::catalogue::builtInTexts(), "1", "t");
        benchmark::DoNotOptimize(c.count(arlo::catalogue::List::JapaneseTitles));
    }
}
BENCHMARK(BM_BuildCatalogue);

void BM_TitleToGbk(benchmark::State& state) {
    const auto& c = arlo::catalogue::Catalogue::builtIn();
    const auto title = c.value(arlo::catalogue::List::JapaneseTitles, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(arlo::text::utf8ToGbk(title));
    }
}
BENCHMARK(BM_TitleToGbk);

}  // namespace
