// The body of one search thread: one site, page after page, every hit
// appended to the result list as a numbered row.
#pragma once

#include <string>
#include <string_view>

#include "app/form_runtime.h"

namespace sorvane {

// The regular expression that picks the address (group 1) and the title
// (group 2) of every hit out of a result page.
extern const std::string_view kResultPattern;
// Present on every result page that has a next page.
extern const std::string_view kNextPageMarker;
// Between a job's index and, for a listed site, its host.
inline constexpr std::string_view kJobSeparator = ".N.*";

// The controls of the main window a worker reads and writes.
struct SearchControls {
    Control keywordBox;    // 编辑框1
    Control resultList;    // 超级列表框1
    Control countLabel;    // 透明标签2
    Control filterBox;     // 编辑框2
    Control filterButton;  // 超级按钮1
};

// What a worker thread is handed: its own copy of the job text, the controls,
// and the generation of the result-list lock of the window it works for.
struct SearchTask {
    std::string job;
    SearchControls controls;
    unsigned lockGeneration = 0;
};

// Runs one job to its end on the calling thread.
void RunSearchWorker(const SearchTask& task);

// Starts a thread that runs the task and frees it. Gives the thread's handle,
// or nullptr when the thread could not be started.
void* StartSearchWorker(SearchTask task);

// The title of a hit as written to the list: "<em>" and "</em>" removed.
std::string CleanHitTitle(std::string_view title);

}  // namespace sorvane
