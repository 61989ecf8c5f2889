// Fetch benchmark, run by tools/bench-fetch: `count` fetches of one address
// spread over `threads` threads, each body checked against the expected size.
// Prints one line: requests, seconds, requests per second, MB per second.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>  // also std::chrono: <chrono> itself fails with GBK literals
#include <vector>

#include "web/http_fetch.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_fetch <label> <url> <count> <threads>\n");
        return 2;
    }
    const std::string label = argv[1];
    const std::string url = argv[2];
    const int count = std::atoi(argv[3]);
    const int threads = std::max(1, std::atoi(argv[4]));

    const std::size_t expected = sorvane::HttpFetch(url).size();  // warms WinInet up
    if (expected == 0) {
        std::fprintf(stderr, "bench_fetch: %s gave an empty body\n", url.c_str());
        return 1;
    }

    std::atomic<int> next{0};
    std::atomic<int> wrong{0};
    std::atomic<long long> bytes{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            while (next.fetch_add(1) < count) {
                const std::size_t size = sorvane::HttpFetch(url).size();
                bytes += static_cast<long long>(size);
                if (size != expected) ++wrong;
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%-28s %5d requests in %6.2f s: %8.1f req/s %8.1f MB/s%s\n", label.c_str(), count,
                seconds, count / seconds, static_cast<double>(bytes) / seconds / 1e6,
                wrong > 0 ? (" (" + std::to_string(wrong.load()) + " bodies of the wrong size)").c_str() : "");
    return wrong > 0 ? 1 : 0;
}
