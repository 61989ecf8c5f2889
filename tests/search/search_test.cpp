// A whole search from the main window against a fixture engine on 127.0.0.1.
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "search/search_dispatch.h"
#include "search/sites.h"
#include "support/gui.h"
#include "support/loopback_server.h"
#include "support/result_pages.h"

namespace sorvane {
namespace {

using gui_test::PumpUntil;
using testing::EngineQuery;
using testing::Hit;

struct ScriptedPage {
    int hits = 0;
    bool hasNext = false;
    std::function<void()> beforeReply;  // runs on the server's thread
};

// An engine whose pages are scripted per site and offset; a page that is not
// scripted has no hits and no next page.
class FixtureEngine {
public:
    FixtureEngine()
        : server_([this](const testing::LoopbackRequest& request) { return Answer(request); }) {
        _putenv_s("SORVANE_ENGINE_HOST", ("127.0.0.1:" + std::to_string(server_.Port())).c_str());
    }
    ~FixtureEngine() { _putenv_s("SORVANE_ENGINE_HOST", ""); }

    void Script(const std::string& site, int offset, ScriptedPage page) {
        std::lock_guard<std::mutex> hold(mutex_);
        pages_[{site, offset}] = std::move(page);
    }
    std::vector<EngineQuery> Queries() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return queries_;
    }
    std::size_t QueryCount() const { return Queries().size(); }
    std::vector<testing::LoopbackRequest> Requests() const { return server_.Requests(); }

    static std::string HitAddress(const std::string& site, int offset, int k) {
        return "http://" + site + "/s/" + std::to_string(offset + k);
    }

private:
    std::string Answer(const testing::LoopbackRequest& request) {
        const EngineQuery query = testing::ParseEngineQuery(request.target);
        ScriptedPage page;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            queries_.push_back(query);
            auto found = pages_.find({query.site, query.offset});
            if (found != pages_.end()) page = found->second;
        }
        if (page.beforeReply) page.beforeReply();
        std::vector<Hit> hits;
        for (int k = 1; k <= page.hits; ++k)
            hits.push_back({HitAddress(query.site, query.offset, k),
                            query.keyword + "资料<em>" + std::to_string(k) + "</em>盘"});
        return testing::HttpResponse(testing::ResultPage(hits, page.hasNext));
    }

    mutable std::mutex mutex_;
    std::map<std::pair<std::string, int>, ScriptedPage> pages_;
    std::vector<EngineQuery> queries_;
    testing::LoopbackServer server_;
};

std::string SiteHost(int index) { return SiteTable()[static_cast<std::size_t>(index - 1)].host; }

class SearchTest : public gui_test::MainWindowTest {
protected:
    void Tick(std::string_view box) { Find(box).SetNumber(kPropTicked, 1); }
    void TickService(int index) { Tick(SiteTable()[static_cast<std::size_t>(index - 1)].boxName); }
    void Search(std::string_view keyword) {
        Find("编辑框1").SetText(keyword);
        gui_test::Click(Find("按钮1"));
    }
    Control List() const { return Find("超级列表框1"); }
    std::string Cell(int row, int column) const { return List().ListGetCell(row, column); }
    // Waits until the engine has answered `queries` requests and the search
    // has settled: the filter box is enabled again and no row came lately.
    bool WaitForSearch(std::size_t queries, int rows, int timeoutMs = 20000) {
        return PumpUntil(
            [&] {
                return engine_.QueryCount() >= queries && List().ListRowCount() == rows &&
                       Find("编辑框2").GetNumber(kPropDisabled) == 0 &&
                       Find("透明标签2").GetText() == "资源数：" + std::to_string(rows);
            },
            timeoutMs);
    }

    FixtureEngine engine_;
};

TEST_F(SearchTest, RowsOfEachServiceFormOneNumberedBlock) {
    engine_.Script(SiteHost(1), 0, {2, false, {}});
    engine_.Script(SiteHost(3), 0, {3, false, {}});
    TickService(1);
    TickService(2);
    TickService(3);
    Search("网盘 a_b");
    ASSERT_TRUE(WaitForSearch(3, 5));
    EXPECT_TRUE(Find("超级按钮1").GetNumber(kPropVisible));

    // Rows are numbered 1 to 5, and each service's rows stand together.
    std::vector<std::string> blockOrder;
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(Cell(row, 0), std::to_string(row + 1));
        const std::string address = Cell(row, 2);
        const std::string site = address.substr(7, address.find("/s/") - 7);
        if (blockOrder.empty() || blockOrder.back() != site) blockOrder.push_back(site);
        EXPECT_EQ(TextFind(Cell(row, 1), "<em>"), -1);
        EXPECT_EQ(TextFind(Cell(row, 1), "网盘 a_b资料"), 1) << Cell(row, 1);
    }
    EXPECT_EQ(blockOrder.size(), 2u);

    // The request is a plain GET of the site-restricted query address.
    std::set<std::string> targets;
    for (const auto& request : engine_.Requests()) {
        EXPECT_EQ(request.method, "GET");
        targets.insert(request.target);
    }
    EXPECT_EQ(targets.count("/s?wd=site%3A" + SiteHost(2) +
                            "%20%E7%BD%91%E7%9B%98%20a%5Fb&pn=0&rn=50&ie=utf-8&rsv_page=1"),
              1u);
}

TEST_F(SearchTest, FollowsTheNextPageLinkEvenFromAPageWithoutHits) {
    engine_.Script(SiteHost(5), 0, {0, true, {}});
    engine_.Script(SiteHost(5), 50, {2, true, {}});
    engine_.Script(SiteHost(5), 100, {1, false, {}});
    TickService(5);
    Search("k");
    ASSERT_TRUE(WaitForSearch(3, 3));
    const auto queries = engine_.Queries();
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[0].offset, 0);
    EXPECT_EQ(queries[1].offset, 50);
    EXPECT_EQ(queries[2].offset, 100);
    EXPECT_EQ(Cell(2, 2), FixtureEngine::HitAddress(SiteHost(5), 100, 1));
}

TEST_F(SearchTest, ReadsTheKeywordAgainForEveryPage) {
    const Control keywordBox = Find("编辑框1");
    // Changed while the first page is on its way back.
    engine_.Script(SiteHost(1), 0, {1, true, [keywordBox] { keywordBox.SetText("新词"); }});
    engine_.Script(SiteHost(1), 50, {1, false, {}});
    TickService(1);
    Search("旧词");
    ASSERT_TRUE(WaitForSearch(2, 2));
    const auto queries = engine_.Queries();
    EXPECT_EQ(queries[0].keyword, "旧词");
    EXPECT_EQ(queries[1].keyword, "新词");
    EXPECT_EQ(TextFind(Cell(0, 1), "旧词"), 1);  // rows already written stay
    EXPECT_EQ(TextFind(Cell(1, 1), "新词"), 1);
}

TEST_F(SearchTest, AllServicesAndListedSitesGetOneWorkerEach) {
    Shared().otherSitesText = "one.example;;three.example;";
    for (int index = 1; index <= kSiteCount; ++index) engine_.Script(SiteHost(index), 0, {1, false, {}});
    engine_.Script("one.example", 0, {1, false, {}});
    engine_.Script("three.example", 0, {1, false, {}});
    gui_test::Click(Find("选择框_全部"));
    ASSERT_TRUE(Find("选择框1").GetNumber(kPropTicked));
    Search("k");
    ASSERT_TRUE(WaitForSearch(25, 24));
    std::multiset<std::string> sites;
    for (const auto& query : engine_.Queries()) sites.insert(query.site);
    EXPECT_EQ(sites.size(), 25u);
    EXPECT_EQ(sites.count("one.example"), 1u);
    EXPECT_EQ(sites.count(""), 1u);  // the empty piece between two ";"
    EXPECT_EQ(sites.count("three.example"), 1u);
    for (int index = 1; index <= kSiteCount; ++index)
        EXPECT_EQ(sites.count(SiteHost(index)), 1u) << index;
    for (int index = 1; index <= kSiteCount; ++index)
        EXPECT_FALSE(Shared().workerHandles[static_cast<std::size_t>(index - 1)].IsEmpty());
}

TEST_F(SearchTest, ListedSitesContinueTheNumbering) {
    Shared().otherSitesText = "a.example;b.example";
    engine_.Script("a.example", 0, {1, false, {}});
    engine_.Script("b.example", 0, {1, false, {}});
    Tick("选择框1");
    Shared().resultCounter = 7;  // left over from an earlier search
    Search("k");
    ASSERT_TRUE(WaitForSearch(2, 2));
    std::set<std::string> numbers = {Cell(0, 0), Cell(1, 0)};
    EXPECT_EQ(numbers, (std::set<std::string>{"8", "9"}));
}

TEST_F(SearchTest, EmptyKeywordClearsTheListAndStartsNothing) {
    const int row = List().ListInsertRow();
    List().ListSetCell(row, 1, "old");
    TickService(1);
    gui_test::MessageBoxWatcher boxes;
    Search("");
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1; }, 10000));
    EXPECT_EQ(boxes.Seen()[0].text, "请输入关键字！");
    EXPECT_EQ(boxes.Seen()[0].caption, "提示");
    EXPECT_EQ(boxes.Seen()[0].owner, MainHandle());
    EXPECT_EQ(List().ListRowCount(), 0);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(engine_.QueryCount(), 0u);
    EXPECT_TRUE(Shared().workerHandles[0].IsEmpty());
}

TEST_F(SearchTest, EnterInTheKeywordBoxSearches) {
    engine_.Script(SiteHost(2), 0, {1, false, {}});
    TickService(2);
    const Control keywordBox = Find("编辑框1");
    keywordBox.SetText("k");
    SendMessageW(keywordBox.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(keywordBox.Handle(), WM_CHAR, '\r', 0);
    SendMessageW(keywordBox.Handle(), WM_KEYUP, VK_RETURN, 0);
    ASSERT_TRUE(WaitForSearch(1, 1));
}

TEST_F(SearchTest, ASecondSearchWaitsForTheWorkerStillPaging) {
    HANDLE releasePage = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    engine_.Script(SiteHost(1), 0, {1, true, {}});
    engine_.Script(SiteHost(1), 50, {2, false, [releasePage] {
                       WaitForSingleObject(releasePage, 10000);
                   }});
    engine_.Script(SiteHost(2), 0, {3, false, {}});
    TickService(1);
    Search("k");
    ASSERT_TRUE(PumpUntil([&] { return engine_.QueryCount() == 2; }, 10000));

    // The first worker holds the lock while it waits for its second page.
    Find(SiteTable()[0].boxName).SetNumber(kPropTicked, 0);
    TickService(2);
    Search("k");
    EXPECT_EQ(List().ListRowCount(), 0);
    ASSERT_TRUE(PumpUntil([&] { return engine_.QueryCount() == 3; }, 10000));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(List().ListRowCount(), 0);  // the new worker waits for the lock
    SetEvent(releasePage);

    ASSERT_TRUE(WaitForSearch(3, 5));
    // The old worker goes on into the cleared list, numbering from the reset
    // counter; then the new worker's rows follow.
    for (int row = 0; row < 5; ++row) EXPECT_EQ(Cell(row, 0), std::to_string(row + 1));
    EXPECT_EQ(Cell(0, 2), FixtureEngine::HitAddress(SiteHost(1), 50, 1));
    EXPECT_EQ(Cell(2, 2), FixtureEngine::HitAddress(SiteHost(2), 0, 1));
    CloseHandle(releasePage);
}

TEST_F(SearchTest, ClosingTheWindowMidSearchEndsPromptly) {
    HANDLE releasePage = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    engine_.Script(SiteHost(1), 0, {1, true, {}});
    engine_.Script(SiteHost(1), 50, {1, false, [releasePage] {
                       WaitForSingleObject(releasePage, 10000);
                   }});
    for (int index = 2; index <= 4; ++index) engine_.Script(SiteHost(index), 0, {1, false, {}});
    for (int index = 1; index <= 4; ++index) TickService(index);
    Search("k");
    ASSERT_TRUE(PumpUntil([&] { return engine_.QueryCount() == 5; }, 10000));

    const DWORD start = GetTickCount();
    MainWindow()->Close();
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(Shared().resultListLock.CurrentGeneration(), 0u);

    // The worker that held the lock comes back from the network and must not
    // write into the next window.
    ReloadMainWindow();
    SetEvent(releasePage);
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(List().ListRowCount(), 0);
    CloseHandle(releasePage);
}

}  // namespace
}  // namespace sorvane
