#include "search/search_dispatch.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "search/search_worker.h"
#include "search/sites.h"

namespace sorvane {
namespace {

constexpr int kFirstListedSiteJob = 24;

SearchControls FindSearchControls(const Form& window) {
    return SearchControls{
        window.Find("编辑框1"), window.Find("超级列表框1"), window.Find("透明标签2"),
        window.Find("编辑框2"), window.Find("超级按钮1"),
    };
}

}  // namespace

void StartSearch() {
    Form* window = MainWindow();
    if (window == nullptr) return;
    const SearchControls controls = FindSearchControls(*window);
    SharedState& shared = Shared();

    controls.resultList.ListDeleteAll();
    if (controls.keywordBox.GetText().empty()) {
        ShowMessage(window->Handle(), "请输入关键字！", 0, "提示");
        return;
    }

    const unsigned generation = shared.resultListLock.CurrentGeneration();
    for (int index = 1; index <= kSiteCount; ++index) {
        if (shared.siteBoxes[static_cast<std::size_t>(index - 1)].GetNumber(kPropTicked) == 0)
            continue;
        std::string job = NumberToText(index) + std::string(kJobSeparator);
        shared.resultCounter = 0;
        controls.filterBox.SetNumber(kPropDisabled, 1);
        controls.filterButton.SetNumber(kPropVisible, 0);
        StoreWorkerHandle(index, StartSearchWorker({std::move(job), controls, generation}));
    }

    if (window->Find("选择框1").GetNumber(kPropTicked) == 0) return;
    const std::vector<std::string> sites = TextSplit(shared.otherSitesText, ";");
    for (std::size_t j = 0; j < sites.size(); ++j) {
        std::string job = NumberToText(kFirstListedSiteJob + static_cast<int>(j)) +
                          std::string(kJobSeparator) + sites[j];
        if (HANDLE thread = StartSearchWorker({std::move(job), controls, generation}))
            CloseHandle(thread);
    }
}

}  // namespace sorvane
