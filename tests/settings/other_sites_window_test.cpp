// The other-sites window: saving, the two rejected entries, cancelling, the
// help, and a "url.txt" that cannot be written.
#include "settings/other_sites_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/files.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "support/gui.h"

namespace sorvane {
namespace {

using gui_test::Click;
using gui_test::MessageBoxWatcher;
using gui_test::WhenWindowShown;

constexpr char kTitle[] = "设置-其他网盘";

class OtherSitesWindowTest : public gui_test::MainWindowTest {
protected:
    // Opens the window modal to the main window, runs `act` on it from the
    // window's own loop, and returns once the window has closed.
    void WithWindow(const std::function<void(HWND window)>& act) {
        const WhenWindowShown shown(kTitle, act);
        OpenOtherSitesWindow(MainHandle());
        ASSERT_TRUE(shown.Fired());
        ASSERT_FALSE(shown.TimedOut()) << "the window did not close";
    }

    static HWND Edit(HWND window) { return gui_test::FindChild(window, L"Edit"); }
    static void Type(HWND window, std::string_view text) {
        SetWindowTextW(Edit(window), WideFromGbk(text).c_str());
    }
    static void Press(HWND window, const char* caption) {
        Click(gui_test::FindChild(window, L"Button", caption));
    }

    // A list loaded at start, so "changes nothing" can be seen.
    void StartWithList(const std::string& list) {
        ASSERT_TRUE(WriteWholeFile("url.txt", list));
        ReloadMainWindow();
        ASSERT_EQ(Shared().otherSitesText, list);
    }
};

TEST_F(OtherSitesWindowTest, SavingWritesExactlyTheTextAndReopeningShowsIt) {
    const MessageBoxWatcher boxes;
    bool closedBySave = false;
    WithWindow([&](HWND window) {
        EXPECT_EQ(gui_test::WindowText(Edit(window)), "");
        Type(window, "a.b;c.d");
        Press(window, "确定");
        closedBySave = !IsWindow(window);
    });
    EXPECT_TRUE(closedBySave);
    EXPECT_EQ(Shared().otherSitesText, "a.b;c.d");
    EXPECT_EQ(ReadWholeFile("url.txt"), "a.b;c.d");
    EXPECT_EQ(GetFileAttributesW(L"url.txt.saving"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(boxes.Count(), 0u);

    std::string shown;
    WithWindow([&](HWND window) {
        shown = gui_test::WindowText(Edit(window));
        Press(window, "取消");
    });
    EXPECT_EQ(shown, "a.b;c.d");
}

TEST_F(OtherSitesWindowTest, RejectedEntriesShowTheirMessageAndChangeNothing) {
    StartWithList("old.host");
    struct Case {
        const char* typed;
        const char* caption;
        const char* text;
        bool ownedBySettings;  // else no owner at all
    };
    const Case cases[] = {
        {"a.b;", "信息：", "请不用分号结尾！", false},
        {"", "提示", "请输入内容！", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const MessageBoxWatcher boxes;
        HWND settings = nullptr;
        bool stayedOpen = false;
        WithWindow([&](HWND window) {
            settings = window;
            Type(window, c.typed);
            Press(window, "确定");
            stayedOpen = IsWindow(window) != FALSE;
            Press(window, "取消");
        });
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(boxes.Count(), 1u);
        const gui_test::SeenBox box = boxes.Seen()[0];
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.owner, c.ownedBySettings ? settings : nullptr);
        EXPECT_EQ(Shared().otherSitesText, "old.host");
        EXPECT_EQ(ReadWholeFile("url.txt"), "old.host");
    }
}

TEST_F(OtherSitesWindowTest, CancelAndTheFrameCloseKeepTheOldList) {
    StartWithList("old.host");
    const std::function<void(HWND)> closers[] = {
        [](HWND window) { Press(window, "取消"); },
        [](HWND window) { SendMessageW(window, WM_CLOSE, 0, 0); },
    };
    for (const auto& close : closers) {
        WithWindow([&](HWND window) {
            EXPECT_EQ(gui_test::WindowText(Edit(window)), "old.host");
            Type(window, "new.host");
            close(window);
        });
        EXPECT_EQ(Shared().otherSitesText, "old.host");
        EXPECT_EQ(ReadWholeFile("url.txt"), "old.host");
    }
}

TEST_F(OtherSitesWindowTest, HelpIsOwnedByTheWindowInFourParagraphs) {
    const MessageBoxWatcher boxes;
    HWND settings = nullptr;
    WithWindow([&](HWND window) {
        settings = window;
        Press(window, "帮助");
        Press(window, "取消");
    });
    ASSERT_EQ(boxes.Count(), 1u);
    const gui_test::SeenBox box = boxes.Seen()[0];
    EXPECT_EQ(box.caption, "帮助");
    EXPECT_EQ(box.owner, settings);
    // The box shows the text; its CR LF pairs come back as they were given.
    const std::vector<std::string> paragraphs = TextSplit(OtherSitesHelpText(), "\r\n\r\n");
    ASSERT_EQ(paragraphs.size(), 4u);
    EXPECT_EQ(TextFind(paragraphs[0], "只需写入网址 如：百度网盘的首页地址是：" + paragraphs[1]), 1);
    EXPECT_EQ(paragraphs[2], "支持多个网址 每个网址之间请用英文分号隔开");
    EXPECT_EQ(TextFind(paragraphs[3], "如：" + paragraphs[1] + ";"), 1);
    EXPECT_EQ(TextReplaceAll(box.text, "\r\n", "\n"), TextReplaceAll(OtherSitesHelpText(), "\r\n", "\n"));
}

TEST_F(OtherSitesWindowTest, AnUnwritableFileIsReportedByNameAndTheListStillHoldsForThisRun) {
    // A folder in the file's place: neither writing nor renaming over it works.
    ASSERT_TRUE(CreateDirectoryW(L"url.txt", nullptr));
    const MessageBoxWatcher boxes;
    bool closed = false;
    WithWindow([&](HWND window) {
        Type(window, "a.b");
        Press(window, "确定");
        closed = !IsWindow(window);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(Shared().otherSitesText, "a.b");
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(TextFind(boxes.Seen()[0].text, "url.txt"), -1);
    EXPECT_EQ(GetFileAttributesW(L"url.txt.saving"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace sorvane
