// A whole search of all 22 services from the real main window, against the
// demo engine named by SORVANE_ENGINE_HOST. Prints the wall time beside the
// bound the design allows, the rate at which rows reach the list, and the
// process's peak memory.
//
//     bench_search.exe PAGES LATENCY_MS
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/form_runtime.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "search/sites.h"
#include "web/http_fetch.h"

namespace {

using namespace sorvane;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool AllWorkersEnded() {
    for (const ThreadHandle& worker : Shared().workerHandles)
        if (!worker.IsEmpty() && WaitForSingleObject(worker.Get(), 0) != WAIT_OBJECT_0) return false;
    return true;
}

// One page fetched alone: what every step of the bound costs.
double SinglePageSeconds() {
    const std::string address = QueryAddress(SiteTable()[0].host, "warmup", 0);
    HttpFetch(address);
    const double start = Now();
    constexpr int kRounds = 5;
    for (int i = 0; i < kRounds; ++i) HttpFetch(address);
    return (Now() - start) / kRounds;
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 4;
    const int latencyMs = argc > 2 ? std::atoi(argv[2]) : 50;
    const double pageSeconds = SinglePageSeconds();

    InitFormRuntime();
    ResetSharedState();
    Form& window = LoadMainWindow();
    SendMessageW(window.Find("选择框_全部").Handle(), BM_CLICK, 0, 0);
    window.Find("编辑框1").SetText("资料");

    const double start = Now();
    SendMessageW(window.Find("按钮1").Handle(), BM_CLICK, 0, 0);
    const double deadline = start + 600;
    RunMessageLoop([&] { return !AllWorkersEnded() && Now() < deadline; });
    const double elapsed = Now() - start;
    ProcessPendingEvents();

    const int rows = window.Find("超级列表框1").ListRowCount();
    const int expectedRows = kSiteCount * pages * 50;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);

    // The first pages of all workers are fetched at once; every further page
    // is fetched by the lock's holder, one after another.
    const int serialPages = 1 + kSiteCount * (pages - 1);
    std::printf("search: %d services x %d pages, engine latency %d ms\n", kSiteCount, pages, latencyMs);
    std::printf("one page fetched alone: %.1f ms\n", pageSeconds * 1000);
    std::printf("wall time: %.2f s; design bound (%d pages one after another): %.2f s\n", elapsed,
                serialPages, serialPages * pageSeconds);
    std::printf("rows: %d of %d; %.0f rows/s written to the list\n", rows, expectedRows,
                rows / elapsed);
    std::fflush(stdout);
    std::printf("peak working set: %.1f MB; peak private bytes: %.1f MB\n",
                memory.PeakWorkingSetSize / 1048576.0, memory.PeakPagefileUsage / 1048576.0);
    window.Close();
    return rows == expectedRows ? 0 : 1;
}
