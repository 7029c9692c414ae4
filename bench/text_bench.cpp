#include <benchmark/benchmark.h>

#include "catalogue/catalogue.h"
#include "online/guestbook.h"
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

// The guestbook's reply check against a reply of N MiB that almost holds a 4 KiB message at
// every byte: the worst case for a search that compares the message at each place in turn.
void BM_GuestbookReplyCheck(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0)) << 20;
    const std::string reply(bytes, 'a');
    const std::string message = std::string(4096, 'a') + "b";
    for (auto _ : state) {
        benchmark::DoNotOptimize(arlo::online::judgeGuestbookReply(reply, message));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_GuestbookReplyCheck)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
