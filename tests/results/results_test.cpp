// What the user does with result rows: filter, open, copy and export.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/files.h"
#include "app/main_window.h"
#include "results/export.h"
#include "results/list_actions.h"
#include "results/result_filter.h"
#include "support/gui.h"

namespace sorvane {
namespace {

using gui_test::MessageBoxWatcher;
using gui_test::PumpUntil;

std::vector<std::string> openedAddresses;
void RecordOpened(std::string_view address) { openedAddresses.emplace_back(address); }

std::vector<std::string> commandLines;
bool RecordCommand(std::string_view commandLine, unsigned) {
    commandLines.emplace_back(commandLine);
    return true;
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = GbkFromWide(wide);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

class ResultsTest : public gui_test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        openedAddresses.clear();
        commandLines.clear();
        previousOpener_ = ReplaceAddressOpener(RecordOpened);
        previousRunner_ = ReplaceCommandRunner(RecordCommand);
    }
    void TearDown() override {
        ReplaceAddressOpener(previousOpener_);
        ReplaceCommandRunner(previousRunner_);
        MainWindowTest::TearDown();
    }

    Control All() const { return Find("超级列表框1"); }
    Control Filtered() const { return Find("超级列表框2"); }
    void AddRow(const std::string& title, const std::string& address) {
        const int row = All().ListInsertRow();
        All().ListSetCell(row, 0, std::to_string(row + 1));
        All().ListSetCell(row, 1, title);
        All().ListSetCell(row, 2, address);
    }
    void Filter(const std::string& text) {
        Find("编辑框2").SetText(text);
        gui_test::Click(Find("超级按钮1"));
    }
    // As the user's typing would: the box raises its change event.
    void TypeFilterText(const std::string& text) {
        SendMessageW(Find("编辑框2").Handle(), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(WideFromGbk(text).c_str()));
    }
    std::vector<std::string> Column(const Control& list, int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < list.ListRowCount(); ++row) cells.push_back(list.ListGetCell(row, column));
        return cells;
    }
    using Cells = std::vector<std::string>;

    std::string ExportFile(const std::string& keyword) const {
        return ProgramDirectory() + "\\" + keyword + "资源列表.txt";
    }

private:
    AddressOpener previousOpener_ = nullptr;
    CommandRunner previousRunner_ = nullptr;
};

TEST_F(ResultsTest, FilterKeepsTitlesHoldingTheTextAndRestoreShowsAllAgain) {
    AddRow("百度网盘资料", "http://a/1");
    AddRow("abc", "http://a/2");
    AddRow("网盘", "http://a/3");

    for (int pass = 0; pass < 2; ++pass) {  // a second press gives the same rows, not doubled
        Filter("盘");
        EXPECT_EQ(Column(Filtered(), 0), (Cells{"1", "2"}));
        EXPECT_EQ(Column(Filtered(), 1), (Cells{"百度网盘资料", "网盘"}));
        EXPECT_EQ(Column(Filtered(), 2), (Cells{"http://a/1", "http://a/3"}));
    }
    EXPECT_TRUE(IsWindowVisible(Filtered().Handle()));
    EXPECT_FALSE(IsWindowVisible(All().Handle()));
    EXPECT_EQ(Find("透明标签1").GetText(), "结果：2");

    // Letter case counts; no match leaves the filtered list empty on screen
    // and the old count in the label.
    Filter("ABC");
    EXPECT_EQ(Filtered().ListRowCount(), 0);
    EXPECT_TRUE(IsWindowVisible(Filtered().Handle()));
    EXPECT_EQ(Find("透明标签1").GetText(), "结果：2");

    TypeFilterText("x");  // not empty: nothing happens
    EXPECT_TRUE(IsWindowVisible(Filtered().Handle()));
    TypeFilterText("");
    EXPECT_TRUE(IsWindowVisible(All().Handle()));
    EXPECT_FALSE(IsWindowVisible(Filtered().Handle()));
    EXPECT_EQ(Find("透明标签2").GetText(), "资源数：3");
    EXPECT_EQ(Find("透明标签1").GetText(), "结果：2");
}

TEST_F(ResultsTest, EmptyFilterTextMatchesEveryRowWithATitle) {
    AddRow("t1", "u1");
    AddRow("", "u2");
    AddRow("t3", "u3");
    Filter("");
    EXPECT_EQ(Column(Filtered(), 2), (Cells{"u1", "u3"}));
}

TEST_F(ResultsTest, CopyPutsTheSelectedCellOnTheClipboard) {
    AddRow("t1", "http://a/1");
    AddRow("t2", "http://a/2");
    MessageBoxWatcher boxes;
    All().SetNumber(kPropSelectedRow, 0);
    RunResultCommand(ResultCommand::CopyAddress, All());
    All().SetNumber(kPropSelectedRow, 1);
    RunResultCommand(ResultCommand::CopyAddress, All());
    EXPECT_EQ(ClipboardText(), "http://a/2");
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 2; }, 10000));
    for (const auto& box : boxes.Seen()) {
        EXPECT_EQ(box.text, "复制成功！");
        EXPECT_EQ(box.caption, "提示");
        EXPECT_EQ(box.owner, MainHandle());
    }
}

TEST_F(ResultsTest, CopyTitleTakesTheRowFromTheListTheMenuWasRaisedIn) {
    AddRow("甲盘", "u1");
    AddRow("乙盘", "u2");
    AddRow("丙盘", "u3");
    AddRow("丁", "u4");
    Filter("盘");
    MessageBoxWatcher boxes;
    Filtered().SetNumber(kPropSelectedRow, 2);
    RunResultCommand(ResultCommand::CopyTitle, Filtered());
    EXPECT_EQ(ClipboardText(), "丙盘");
    EXPECT_EQ(Filtered().GetNumber(kPropSelectedRow), 2);
}

TEST_F(ResultsTest, OpensOnlyWebAddresses) {
    const char* addresses[] = {"http://pan.example/s/1", "HTTPS://pan.example/s/2", "file:///C:/windows/a.exe",
                               "C:\\windows\\notepad.exe", "javascript:alert(1)", "ftp://x/y"};
    for (const char* address : addresses) AddRow("t", address);
    MessageBoxWatcher boxes;
    for (int row = 0; row < 6; ++row) {
        All().SetNumber(kPropSelectedRow, row);
        if (row % 2 == 0)
            OpenRowAddress(All());
        else
            RunResultCommand(ResultCommand::OpenAddress, All());
    }
    EXPECT_EQ(openedAddresses, (Cells{"http://pan.example/s/1", "HTTPS://pan.example/s/2"}));
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 4; }, 10000));
    EXPECT_NE(boxes.Seen()[0].text.find("file:///C:/windows/a.exe"), std::string::npos);

    // Nothing selected: nothing to open, nothing said.
    All().SetNumber(kPropSelectedRow, -1);
    OpenRowAddress(All());
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(boxes.Count(), 4u);
    EXPECT_EQ(openedAddresses.size(), 2u);
}

TEST_F(ResultsTest, ExportWritesBothListsAndOpensExplorerOnTheFile) {
    AddRow("T1", "U1");
    AddRow("T2", "U2");
    Find("编辑框1").SetText("导出词");
    const std::string path = ExportFile("导出词");
    MessageBoxWatcher boxes;
    RunResultCommand(ResultCommand::ExportAll, All());
    EXPECT_EQ(ReadWholeFile(path), "T1      U1\r\n\r\nT2      U2\r\n\r\n筛选后：\r\n\r\n");
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "导出成功！");
    EXPECT_EQ(commandLines, (Cells{"explorer /n,/select,\"" + path + "\""}));

    // A filter that kept one row: written again after the header, also once
    // the filter box has been emptied; the old file is overwritten.
    Filter("2");
    TypeFilterText("");
    RunResultCommand(ResultCommand::ExportAll, All());
    EXPECT_EQ(ReadWholeFile(path),
              "T1      U1\r\n\r\nT2      U2\r\n\r\n筛选后：\r\n\r\nT2      U2\r\n\r\n");
    DeleteFileW(WideFromGbk(path).c_str());
}

TEST_F(ResultsTest, ExportRefusesKeywordsThatAreNoFileName) {
    AddRow("T1", "U1");
    MessageBoxWatcher boxes;
    const char* keywords[] = {"a/b", "a?b", "..\\..\\escape", "c:x", "a|b", "x\"y"};
    for (const char* keyword : keywords) {
        Find("编辑框1").SetText(keyword);
        RunResultCommand(ResultCommand::ExportAll, All());
    }
    ASSERT_EQ(boxes.Count(), 6u);
    for (const auto& box : boxes.Seen()) EXPECT_NE(box.text, "导出成功！");
    EXPECT_TRUE(commandLines.empty());
    EXPECT_EQ(ReadWholeFile(ProgramDirectory() + "\\..\\..\\escape资源列表.txt"), "");
    // Characters whose second byte is "\" or "|" are fine.
    EXPECT_TRUE(IsUsableInFileName("\x81\x5C\x81\x7C"));
    EXPECT_TRUE(IsUsableInFileName(""));
    EXPECT_TRUE(IsUsableInFileName("a..b"));
}

TEST_F(ResultsTest, ExportTellsWhenTheFileCannotBeWritten) {
    AddRow("T1", "U1");
    Find("编辑框1").SetText("blocked");
    const std::string path = ExportFile("blocked");
    ASSERT_TRUE(CreateDirectoryW(WideFromGbk(path).c_str(), nullptr));  // in the file's way
    MessageBoxWatcher boxes;
    RunResultCommand(ResultCommand::ExportAll, All());
    RemoveDirectoryW(WideFromGbk(path).c_str());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find(path), std::string::npos);
    EXPECT_TRUE(commandLines.empty());
}

}  // namespace
}  // namespace sorvane
