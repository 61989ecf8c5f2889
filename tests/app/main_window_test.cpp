// The main window: its layout, the service boxes' links to the site table,
// "全部" and "其他", the reading of "url.txt" and the result-list lock's span.
#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/files.h"
#include "app/shared_state.h"
#include "app/shell.h"
#include "results/list_actions.h"
#include "search/sites.h"
#include "support/gui.h"

namespace sorvane {
namespace {

using gui_test::Click;
using gui_test::MainWindowTest;
using gui_test::WhenWindowShown;

constexpr char kSettingsTitle[] = "设置-其他网盘";

struct Expected {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* text;  // nullptr: not checked here
    bool visible;
    int siteIndex;  // 0 for controls that are no service box
};

constexpr Expected kControls[] = {
    {"透明标签1", ControlKind::Label, 58, 38, 80, 24, "请输入关键词：", true, 0},
    {"编辑框1", ControlKind::EditBox, 147, 38, 303, 24, "", true, 0},
    {"按钮1", ControlKind::PushButton, 466, 37, 174, 28, "点我搜索", true, 0},
    {"选择框1", ControlKind::CheckBox, 477, 191, 100, 24, "其他", true, 0},
    {"选择框_全部", ControlKind::CheckBox, 572, 194, 100, 19, "全部", true, 0},
    {"透明标签2", ControlKind::Label, 0, 223, 696, 24, "", true, 0},
    {"透明标签3", ControlKind::Label, 480, 232, 48, 16, "结果搜索", true, 0},
    {"编辑框2", ControlKind::EditBox, 531, 232, 128, 16, nullptr, true, 0},
    {"超级按钮1", ControlKind::PictureButton, 659, 232, 20, 16, "", true, 0},
    {"超级列表框1", ControlKind::ReportList, 8, 255, 673, 282, "", true, 0},
    {"超级列表框2", ControlKind::ReportList, 8, 255, 673, 282, "", false, 0},
    {"选择框_百度", ControlKind::CheckBox, 57, 91, 100, 16, "百度网盘", true, 1},
    {"选择框_华为", ControlKind::CheckBox, 173, 92, 100, 16, "华为网盘", true, 2},
    {"选择框_迅雷", ControlKind::CheckBox, 269, 92, 100, 16, "迅雷快传", true, 3},
    {"选择框_旋风", ControlKind::CheckBox, 373, 92, 100, 16, "QQ旋风", true, 4},
    {"选择框_360", ControlKind::CheckBox, 476, 92, 100, 16, "360云盘", true, 5},
    {"选择框_千易", ControlKind::CheckBox, 572, 92, 100, 16, "千易网盘", true, 6},
    {"选择框_盛大", ControlKind::CheckBox, 57, 125, 100, 16, "盛大网盘", true, 7},
    {"选择框_爱问", ControlKind::CheckBox, 173, 126, 100, 16, "爱问共享", true, 8},
    {"选择框_CSDN", ControlKind::CheckBox, 269, 126, 100, 16, "CSDN", true, 9},
    {"选择框_金山", ControlKind::CheckBox, 373, 126, 100, 16, "金山快盘", true, 10},
    {"选择框_千脑", ControlKind::CheckBox, 476, 126, 100, 16, "千脑网盘", true, 11},
    {"选择框_城通", ControlKind::CheckBox, 572, 125, 100, 16, "城通网盘", true, 13},
    {"选择框_400", ControlKind::CheckBox, 57, 159, 100, 16, "400disk网盘", true, 19},
    {"选择框_纳米", ControlKind::CheckBox, 173, 160, 100, 16, "纳米盘", true, 18},
    {"选择框_迅载", ControlKind::CheckBox, 269, 160, 100, 16, "迅载网盘", true, 20},
    {"选择框_GXP", ControlKind::CheckBox, 373, 160, 100, 16, "GXP网盘", true, 21},
    {"选择框_good", ControlKind::CheckBox, 476, 160, 100, 16, nullptr, true, 22},
    {"选择框_115", ControlKind::CheckBox, 572, 159, 100, 16, "115网盘", true, 12},
    {"选择框_一木禾", ControlKind::CheckBox, 57, 195, 100, 16, "一木禾网盘", true, 15},
    {"选择框_126", ControlKind::CheckBox, 173, 196, 100, 16, "126disk网盘", true, 17},
    {"选择框_163", ControlKind::CheckBox, 269, 196, 100, 16, "163网盘", true, 16},
    {"选择框_vdisk", ControlKind::CheckBox, 373, 196, 100, 16, "vdisk威盘", true, 14},
};

// What the platform must see for each kind: the class and the style that
// makes it that kind of control.
bool HasKind(HWND control, ControlKind kind) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    switch (kind) {
    case ControlKind::Label:
        return _wcsicmp(name, L"Static") == 0;
    case ControlKind::EditBox:
        return _wcsicmp(name, L"Edit") == 0 && (style & ES_MULTILINE) == 0;
    case ControlKind::MultiLineEdit:
        return _wcsicmp(name, L"Edit") == 0 && (style & ES_MULTILINE) != 0;
    case ControlKind::PushButton:
        return _wcsicmp(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_PUSHBUTTON;
    case ControlKind::CheckBox:
        return _wcsicmp(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    case ControlKind::PictureButton:
        return _wcsicmp(name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_OWNERDRAW;
    case ControlKind::ReportList:
        return _wcsicmp(name, WC_LISTVIEWW) == 0 && (style & LVS_TYPEMASK) == LVS_REPORT;
    }
    return false;
}

TEST_F(MainWindowTest, WindowHasItsTitlePlaceAndSizeAndNoMenuBar) {
    EXPECT_EQ(gui_test::WindowText(MainHandle()), "Sorvane");
    RECT window = {}, client = {};
    GetWindowRect(MainHandle(), &window);
    GetClientRect(MainHandle(), &client);
    EXPECT_EQ(window.left, 50);
    EXPECT_EQ(window.top, 50);
    EXPECT_EQ(client.right, 690);
    EXPECT_EQ(client.bottom, 547);
    EXPECT_EQ(GetMenu(MainHandle()), nullptr);
    EXPECT_TRUE(IsWindowVisible(MainHandle()));
}

TEST_F(MainWindowTest, ControlsHaveTheirKindsPlacesSizesAndTexts) {
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        const Control control = Find(e.name);
        ASSERT_FALSE(control.IsEmpty());
        EXPECT_TRUE(HasKind(control.Handle(), e.kind));
        RECT r = {};
        GetWindowRect(control.Handle(), &r);
        MapWindowPoints(nullptr, MainHandle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, e.left);
        EXPECT_EQ(r.top, e.top);
        EXPECT_EQ(r.right - r.left, e.width);
        EXPECT_EQ(r.bottom - r.top, e.height);
        if (e.text != nullptr) {
            EXPECT_EQ(gui_test::WindowText(control.Handle()), e.text);
        }
        EXPECT_EQ(control.GetNumber(kPropVisible), e.visible ? 1 : 0);
        if (e.kind == ControlKind::CheckBox) {
            EXPECT_EQ(control.GetNumber(kPropTicked), 0);
        }
    }
    // The filter box starts with a line of text; the last service box is
    // labelled with its host.
    EXPECT_FALSE(Find("编辑框2").GetText().empty());
    EXPECT_EQ(Find("选择框_good").GetText(), SiteTable()[21].host);
}

TEST_F(MainWindowTest, ServiceBoxesAreLinkedToTheirSiteTableIndex) {
    int linked = 0;
    for (const Expected& e : kControls) {
        if (e.siteIndex == 0) continue;
        SCOPED_TRACE(e.name);
        EXPECT_EQ(Shared().siteBoxes[static_cast<std::size_t>(e.siteIndex - 1)], Find(e.name));
        ++linked;
    }
    EXPECT_EQ(linked, kServiceCount);
}

TEST_F(MainWindowTest, BothResultListsHaveTheSameThreeColumns) {
    for (const char* name : {"超级列表框1", "超级列表框2"}) {
        SCOPED_TRACE(name);
        const HWND list = Find(name).Handle();
        const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
        const std::pair<const char*, int> columns[] = {{"序号", 50}, {"名称", 400}, {"地址", 220}};
        for (int i = 0; i < 3; ++i) {
            wchar_t title[32] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = title;
            column.cchTextMax = 32;
            ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(&column)));
            EXPECT_EQ(GbkFromWide(title), columns[i].first);
            EXPECT_EQ(column.cx, columns[i].second);
        }
    }
}

TEST_F(MainWindowTest, AllTicksAndUnticksEveryServiceBoxAndOtherWithoutOpeningSettings) {
    // Should the settings window open, it is closed at the deadline and
    // the test fails instead of hanging.
    const WhenWindowShown settings(kSettingsTitle, [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
    const Control all = Find("选择框_全部");
    std::vector<Control> boxes(Shared().siteBoxes.begin(), Shared().siteBoxes.end());
    boxes.push_back(Find("选择框1"));
    ASSERT_EQ(boxes.size(), 23u);

    Click(all);
    for (const Control& box : boxes) EXPECT_EQ(box.GetNumber(kPropTicked), 1) << gui_test::WindowText(box.Handle());
    Click(all);
    for (const Control& box : boxes) EXPECT_EQ(box.GetNumber(kPropTicked), 0) << gui_test::WindowText(box.Handle());
    EXPECT_FALSE(settings.Fired());
}

TEST_F(MainWindowTest, TickingOtherOpensSettingsAndCancellingLeavesItTicked) {
    const Control other = Find("选择框1");
    bool ownerDisabled = false;
    {
        const WhenWindowShown settings(kSettingsTitle, [&](HWND window) {
            ownerDisabled = !IsWindowEnabled(MainHandle());
            Click(gui_test::FindChild(window, L"Button", "取消"));
        });
        Click(other);
        EXPECT_TRUE(settings.Fired());
        EXPECT_FALSE(settings.TimedOut());
    }
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(MainHandle()));
    EXPECT_EQ(gui_test::FindProcessWindow(kSettingsTitle), nullptr);
    EXPECT_EQ(other.GetNumber(kPropTicked), 1);

    const WhenWindowShown again(kSettingsTitle, [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }, 2000);
    Click(other);  // unticks
    EXPECT_EQ(other.GetNumber(kPropTicked), 0);
    EXPECT_FALSE(again.Fired());
}

TEST_F(MainWindowTest, OtherSitesTextIsReadFromUrlFileAtCreation) {
    struct Case {
        const char* label;
        bool fileExists;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"missing file", false, "", ""},
        {"two hosts", true, "a.b;c.d", "a.b;c.d"},
        {"stops at a zero byte", true, std::string("a.b\0c.d", 7), "a.b"},
        {"kept as typed", true, " 网盘.cn;;http://x/ \r\n", " 网盘.cn;;http://x/ \r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DeleteFileW(L"url.txt");
        if (c.fileExists) {
            ASSERT_TRUE(WriteWholeFile("url.txt", c.bytes));
        }
        Shared().otherSitesText = "left over";
        ReloadMainWindow();
        EXPECT_EQ(Shared().otherSitesText, c.expected);
    }
}

TEST_F(MainWindowTest, ClosingTheWindowClosesTheResultListLockForHoldersAndWaiters) {
    ResultListLock& lock = Shared().resultListLock;
    ASSERT_NE(lock.CurrentGeneration(), 0u);
    std::atomic<bool> holding = false, release = false, holderSawClosed = false;
    std::atomic<int> waiterGot = -1;
    std::thread holder([&] {
        ResultListLockScope scope(lock);
        holding = scope.granted();
        while (!release) Sleep(5);
        holderSawClosed = !scope.stillOpen();
    });
    ASSERT_TRUE(gui_test::PumpUntil([&] { return holding.load(); }, 5000));
    std::thread waiter([&] { waiterGot = static_cast<int>(lock.Acquire()); });
    Sleep(50);  // give the waiter time to block; it must give up either way

    MainWindow()->Close();
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(gui_test::PumpUntil([&] { return waiterGot.load() != -1; }, 5000));
    EXPECT_EQ(waiterGot.load(), 0);
    EXPECT_EQ(lock.Acquire(), 0u);
    release = true;
    holder.join();
    waiter.join();
    EXPECT_TRUE(holderSawClosed);
}

TEST_F(MainWindowTest, EnterInTheKeywordBoxDoesWhatTheSearchButtonDoes) {
    // With an empty keyword both ask for one, through a box owned by the
    // main window; another key does nothing.
    const Control keyword = Find("编辑框1");
    const std::function<void()> triggers[] = {
        [&] { SendMessageW(keyword.Handle(), WM_KEYDOWN, VK_RETURN, 0); },
        [&] { Click(Find("按钮1")); },
    };
    for (const auto& trigger : triggers) {
        const gui_test::MessageBoxWatcher boxes;
        trigger();
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Seen()[0].text, "请输入关键字！");
        EXPECT_EQ(boxes.Seen()[0].caption, "提示");
        EXPECT_EQ(boxes.Seen()[0].owner, MainHandle());
    }
    const gui_test::MessageBoxWatcher boxes;
    SendMessageW(keyword.Handle(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

void FillRows(const Control& list, int count) {
    for (int i = 0; i < count; ++i) {
        const int row = list.ListInsertRow();
        list.ListSetCell(row, 0, std::to_string(i + 1));
        list.ListSetCell(row, 1, "标题" + std::to_string(i + 1));
        list.ListSetCell(row, 2, "http://x.example/" + std::to_string(i + 1));
    }
}

// A mouse message at the middle of a row, in the list's client coordinates.
LPARAM RowPoint(const Control& list, int row) {
    RECT r = {};
    r.left = LVIR_LABEL;
    SendMessageW(list.Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::string ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return {};
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return GbkFromWide(text);
}

TEST_F(MainWindowTest, RightClickSelectsTheRowUnderThePointerForTheMenusCommand) {
    for (const char* name : {"超级列表框1", "超级列表框2"}) {
        SCOPED_TRACE(name);
        const Control list = Find(name);
        list.SetNumber(kPropVisible, 1);
        FillRows(list, 4);
        list.SetNumber(kPropSelectedRow, 0);
        ASSERT_TRUE(SetClipboardText("before"));

        // "复制标题" is the menu's third item.
        std::atomic<bool> typed = false;
        std::thread typist([&] {
            for (int i = 0; i < 1000 && !typed; ++i) {
                HWND menu = FindWindowW(L"#32768", nullptr);
                if (menu != nullptr && IsWindowVisible(menu)) {
                    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 0);
                    typed = true;
                }
                Sleep(10);
            }
        });
        const gui_test::MessageBoxWatcher boxes;
        const LPARAM at = RowPoint(list, 2);
        PostMessageW(list.Handle(), WM_RBUTTONUP, 0, at);
        SendMessageW(list.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
        gui_test::PumpUntil([&] { return boxes.Count() > 0; }, 3000);
        typed = true;
        typist.join();

        EXPECT_EQ(list.GetNumber(kPropSelectedRow), 2);
        EXPECT_EQ(ClipboardText(), "标题3");
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Seen()[0].text, "复制成功！");
        list.SetNumber(kPropVisible, 0);
    }
}

std::string g_opened;
void RecordOpened(std::string_view address) { g_opened = address; }

TEST_F(MainWindowTest, DoubleClickInTheFullListOpensTheRowsAddress) {
    const AddressOpener previous = ReplaceAddressOpener(RecordOpened);
    g_opened.clear();
    const Control list = Find("超级列表框1");
    FillRows(list, 3);
    list.SetNumber(kPropSelectedRow, 1);
    SendMessageW(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(list, 1));
    ReplaceAddressOpener(previous);
    EXPECT_EQ(g_opened, "http://x.example/2");
}

}  // namespace
}  // namespace sorvane
