// The page fetcher against a bare libcurl loop (a new easy handle per request) doing the same
// small GETs on loopback. Compare the two per-request times; the fetcher's header completion,
// host map and header scan should cost little next to the request itself.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "net/cookies.h"
#include "net/page_fetcher.h"
#include "standin/standin_environment.h"

namespace {

constexpr const char* kUrl = "http://bench.arlo.invalid/test/body?hex=6f6b";

arlo::standin::StandinEnvironment& standin() {
    static arlo::standin::StandinEnvironment environment;
    return environment;
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

void BM_FetchPage(benchmark::State& state) {
    if (!standin().ok()) {
        state.SkipWithError("stand-in did not start");
        return;
    }
    for (auto _ : state) {
        const auto body = arlo::net::FetchPage(kUrl);
        if (body != "ok") {
            state.SkipWithError("unexpected body");
            break;
        }
    }
}
BENCHMARK(BM_FetchPage)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_BareCurl(benchmark::State& state) {
    if (!standin().ok()) {
        state.SkipWithError("stand-in did not start");
        return;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string connectTo = "::127.0.0.1:" + std::to_string(standin().port());
    curl_slist* map = curl_slist_append(nullptr, connectTo.c_str());
    // The same request bytes as the fetcher sends.
    curl_slist* headers = nullptr;
    for (const std::string& line :
         {std::string("Referer: ") + kUrl, std::string("Accept: */*"),
          std::string("Accept-Language: zh-cn"),
          std::string("Content-Type: application/x-www-form-urlencoded")}) {
        headers = curl_slist_append(headers, line.c_str());
    }
    const std::string agent(arlo::net::kDefaultUserAgent);
    for (auto _ : state) {
        CURL* curl = curl_easy_init();
        std::string body;
        curl_easy_setopt(curl, CURLOPT_URL, kUrl);
        curl_easy_setopt(curl, CURLOPT_CONNECT_TO, map);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        if (body != "ok") {
            state.SkipWithError("unexpected body");
            break;
        }
    }
    curl_slist_free_all(headers);
    curl_slist_free_all(map);
}
BENCHMARK(BM_BareCurl)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A jar of n pairs merged with n received pairs, half of them of names the jar holds: the
// merge looks each name up once, so the time grows with n, not with n squared.
void BM_MergeCookies(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    std::string jar;
    std::string received;
    for (int i = 0; i < n; ++i) {
        jar += "j" + std::to_string(i) + "=1; ";
        received += (i % 2 ? "j" : "r") + std::to_string(i) + "=2; ";
    }
    for (auto _ : state) {
        std::string mergedJar = jar;
        std::string newCookies = received;
        benchmark::DoNotOptimize(arlo::net::MergeCookies(mergedJar, newCookies));
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_MergeCookies)->Arg(1500)->Arg(12000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
