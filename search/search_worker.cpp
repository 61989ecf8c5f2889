#include "search/search_worker.h"

#include <windows.h>

#include <memory>

#include "app/codepage.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "search/pattern_matcher.h"
#include "search/sites.h"
#include "web/http_fetch.h"

namespace sorvane {

// href="(.*?)" LF TAB TAB LF TAB TAB, twelve spaces, target="_blank" LF,
// eight spaces, TAB TAB LF TAB TAB >(.*?)</a></h3><div
const std::string_view kResultPattern =
    "href=\"(.*?)\"\n\t\t\n\t\t            target=\"_blank\"\n        \t\t\n\t\t>(.*?)</a></h3><div";
const std::string_view kNextPageMarker = "class=\"n\">下一页";

namespace {

constexpr int kPageSize = 50;

std::string FetchPage(const std::string& host, const Control& keywordBox, int offset) {
    const std::string keyword = EncodeKeyword(keywordBox.GetText(), true, true);
    const Bytes body = HttpFetch(QueryAddress(host, keyword, offset));
    return GbkFromUtf8(BytesToText(body));
}

void LetInputThrough() {
    if (GetInputState()) ProcessPendingEvents();
}

// Appends the hits of the last Execute; false when the lock was closed under
// the worker (the window is going away) and it must stop at once.
bool AppendHits(const PatternMatcher& matcher, const SearchControls& controls,
                const ResultListLockScope& lock, bool letInputThrough) {
    const int hits = matcher.MatchCount();
    for (int k = 1; k <= hits; ++k) {
        if (letInputThrough) LetInputThrough();
        if (!lock.stillOpen()) return false;
        const std::string number = NumberToText(++Shared().resultCounter);
        const std::string title = CleanHitTitle(matcher.SubmatchText(k, 2));
        const std::string address = matcher.SubmatchText(k, 1);
        // One trip to the window's thread per row.
        RunOnUiThread([&] {
            const int row = controls.resultList.ListInsertRow();
            controls.resultList.ListSetCell(row, 0, number);
            controls.resultList.ListSetCell(row, 1, title);
            controls.resultList.ListSetCell(row, 2, address);
            controls.resultList.ListRedrawNow();
            controls.countLabel.SetText("资源数：" + NumberToText(controls.resultList.ListRowCount()));
        });
    }
    return true;
}

DWORD WINAPI SearchThreadStart(void* parameter) noexcept {
    std::unique_ptr<SearchTask> task(static_cast<SearchTask*>(parameter));
    try {
        RunSearchWorker(*task);
    } catch (...) {
        // A worker ends quietly; nothing of it may reach the platform.
    }
    return 0;
}

}  // namespace

std::string CleanHitTitle(std::string_view title) {
    return TextReplaceAll(TextReplaceAll(title, "<em>", ""), "</em>", "");
}

void RunSearchWorker(const SearchTask& task) {
    PatternMatcher matcher;
    const ComThreadInit workerComInit;

    const std::vector<std::string> pieces = TextSplit(task.job, kJobSeparator);
    if (pieces.empty()) return;
    const int index = static_cast<int>(TextToNumber(pieces[0]));
    const std::string host = HostForJob(index, pieces.size() > 1 ? pieces[1] : std::string());
    const SearchControls& controls = task.controls;

    int offset = 0;
    std::string page = FetchPage(host, controls.keywordBox, offset);
    matcher.Execute(kResultPattern, page);

    ResultListLockScope lock(Shared().resultListLock, task.lockGeneration);
    if (!lock.granted()) return;
    if (!AppendHits(matcher, controls, lock, true)) return;

    while (TextFind(page, kNextPageMarker) > 0) {
        LetInputThrough();
        offset += kPageSize;
        page = FetchPage(host, controls.keywordBox, offset);
        if (!lock.stillOpen()) return;
        matcher.Execute(kResultPattern, page);
        if (!AppendHits(matcher, controls, lock, false)) return;
    }

    if (!lock.stillOpen()) return;
    RunOnUiThread([&] {
        controls.countLabel.SetText("资源数：" + NumberToText(controls.resultList.ListRowCount()));
        controls.filterBox.SetNumber(kPropDisabled, 0);
        controls.filterButton.SetNumber(kPropVisible, 1);
    });
}

void* StartSearchWorker(SearchTask task) {
    auto owned = std::make_unique<SearchTask>(std::move(task));
    HANDLE thread = CreateThread(nullptr, 0, SearchThreadStart, owned.get(), 0, nullptr);
    if (thread != nullptr) owned.release();
    return thread;
}

}  // namespace sorvane
