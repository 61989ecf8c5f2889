// The form runtime on a small form of its own: events, texts, report lists,
// calls from other threads, modal forms and the pop-up menu.
#include "app/form_runtime.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/ui_thread.h"
#include "support/gui.h"

namespace sorvane {
namespace {

using gui_test::Click;
using gui_test::MessageBoxWatcher;
using gui_test::PumpUntil;

const FormDef& TestForm() {
    static const FormDef form{
        "运行时测试", 20, 20, 320, 240,
        {
            {"标签", ControlKind::Label, 5, 5, 100, 20, "标签文字"},
            {"编辑框", ControlKind::EditBox, 5, 30, 150, 22, "初始"},
            {"按钮", ControlKind::PushButton, 160, 30, 60, 22, "按钮"},
            {"选择框", ControlKind::CheckBox, 5, 60, 100, 20, "选择"},
            {"列表", ControlKind::ReportList, 5, 90, 300, 140, "", true, {{"甲", 50}, {"乙", 200}}},
        },
        {{"菜单", true, {"一", "二", "三"}}}};
    return form;
}

struct Recorded {
    FormEventKind kind;
    std::string control;
    int key;
};

class FormRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitFormRuntime();
        form_ = Form::Create(TestForm(), nullptr, [this](Form&, const FormEvent& event) {
            events_.push_back({event.kind, std::string(event.control), event.key});
        });
        ASSERT_TRUE(form_->IsOpen());
        form_->Show();
    }
    void TearDown() override { form_.reset(); }

    // Events of controls (creation and destruction left out).
    std::vector<Recorded> ControlEvents() const {
        std::vector<Recorded> out;
        for (const Recorded& e : events_)
            if (!e.control.empty()) out.push_back(e);
        return out;
    }

    std::unique_ptr<Form> form_;
    std::vector<Recorded> events_;
};

TEST_F(FormRuntimeTest, PropertyWritesRaiseNoEventsWhileTheUsersActionsDo) {
    const Control edit = form_->Find("编辑框");
    const Control box = form_->Find("选择框");
    const Control list = form_->Find("列表");
    ASSERT_FALSE(edit.IsEmpty());
    EXPECT_EQ(events_.front().kind, FormEventKind::Created);

    edit.SetText("写入");
    edit.SetNumber(kPropText, 42);
    box.SetNumber(kPropTicked, 1);
    box.SetNumber(kPropDisabled, 1);
    box.SetNumber(kPropDisabled, 0);
    list.SetNumber(kPropSelectedRow, list.ListInsertRow());
    list.ListSetCell(0, 1, "x");
    list.ListDeleteAll();
    EXPECT_TRUE(ControlEvents().empty());
    EXPECT_EQ(edit.GetText(), "42");

    SendMessageW(edit.Handle(), WM_CHAR, L'x', 0);
    SendMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    Click(box);
    Click(form_->Find("按钮"));
    const std::vector<Recorded> events = ControlEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, FormEventKind::TextChanged);
    EXPECT_EQ(events[0].control, "编辑框");
    EXPECT_EQ(events[1].kind, FormEventKind::KeyDown);
    EXPECT_EQ(events[1].key, VK_RETURN);
    EXPECT_EQ(events[2].kind, FormEventKind::Clicked);
    EXPECT_EQ(events[2].control, "选择框");
    EXPECT_EQ(events[3].control, "按钮");
    // The box had been ticked by the write; the click toggled it back.
    EXPECT_EQ(box.GetNumber(kPropTicked), 0);
}

TEST_F(FormRuntimeTest, TextsAreUnicodeWindowTextsConvertedFromGbk) {
    const Control label = form_->Find("标签");
    EXPECT_EQ(gui_test::WindowText(label.Handle()), "标签文字");
    wchar_t wide[32] = {};
    GetWindowTextW(label.Handle(), wide, 32);
    EXPECT_STREQ(wide, L"\u6807\u7B7E\u6587\u5B57");
    EXPECT_TRUE(IsWindowUnicode(label.Handle()));

    label.SetText("网盘 ok");
    GetWindowTextW(label.Handle(), wide, 32);
    EXPECT_STREQ(wide, L"\u7F51\u76D8 ok");
    EXPECT_EQ(label.GetText(), "网盘 ok");
}

TEST_F(FormRuntimeTest, ReportListCommandsAndSelection) {
    const Control list = form_->Find("列表");
    EXPECT_EQ(list.GetNumber(kPropSelectedRow), -1);
    EXPECT_EQ(list.ListInsertRow(), 0);
    EXPECT_EQ(list.ListInsertRow(), 1);
    EXPECT_EQ(list.ListInsertRow(), 2);
    EXPECT_EQ(list.ListRowCount(), 3);

    // Longer than any first guess of a buffer size.
    const std::string longTitle = std::string(3000, 'a') + "网盘";
    list.ListSetCell(2, 1, longTitle);
    list.ListSetCell(2, 0, "3");
    list.ListRedrawNow();
    EXPECT_EQ(list.ListGetCell(2, 1), longTitle);
    EXPECT_EQ(list.ListGetCell(2, 0), "3");
    EXPECT_EQ(list.ListGetCell(1, 1), "");
    EXPECT_EQ(list.ListGetCell(7, 0), "");

    list.SetNumber(kPropSelectedRow, 1);
    EXPECT_EQ(list.GetNumber(kPropSelectedRow), 1);
    list.SetNumber(kPropSelectedRow, 2);
    EXPECT_EQ(list.GetNumber(kPropSelectedRow), 2);
    EXPECT_EQ(SendMessageW(list.Handle(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
    list.SetNumber(kPropSelectedRow, -1);
    EXPECT_EQ(list.GetNumber(kPropSelectedRow), -1);

    list.ListDeleteAll();
    EXPECT_EQ(list.ListRowCount(), 0);
}

TEST_F(FormRuntimeTest, VisibleAndDisabledProperties) {
    const Control button = form_->Find("按钮");
    EXPECT_EQ(button.GetNumber(kPropVisible), 1);
    EXPECT_EQ(button.GetNumber(kPropDisabled), 0);
    button.SetNumber(kPropVisible, 0);
    button.SetNumber(kPropDisabled, 1);
    EXPECT_FALSE(IsWindowVisible(button.Handle()));
    EXPECT_FALSE(IsWindowEnabled(button.Handle()));
    EXPECT_EQ(button.GetNumber(kPropVisible), 0);
    EXPECT_EQ(button.GetNumber(kPropDisabled), 1);
    button.SetNumber(kPropVisible, 1);
    EXPECT_TRUE(IsWindowVisible(button.Handle()));
}

TEST_F(FormRuntimeTest, CallsFromAnotherThreadRunOnTheWindowThread) {
    const Control edit = form_->Find("编辑框");
    const Control list = form_->Find("列表");
    const Control button = form_->Find("按钮");
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> done = false;
    std::string readBack;
    int rows = 0;
    DWORD ranOn = 0;
    std::thread worker([&] {
        edit.SetText("来自线程");
        readBack = edit.GetText();
        button.SetNumber(kPropDisabled, 1);
        for (int i = 0; i < 3; ++i) list.ListSetCell(list.ListInsertRow(), 1, "行");
        rows = list.ListRowCount();
        RunOnUiThread([&] { ranOn = GetCurrentThreadId(); });
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_EQ(readBack, "来自线程");
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(list.ListGetCell(2, 1), "行");
    EXPECT_FALSE(IsWindowEnabled(button.Handle()));
    EXPECT_EQ(ranOn, uiThread);
    EXPECT_TRUE(ControlEvents().empty());
}

TEST_F(FormRuntimeTest, AWriteFromAnotherThreadLandsWhileAMessageBoxIsUp) {
    const Control edit = form_->Find("编辑框");
    std::atomic<bool> landedWhileShown = false;
    MessageBoxWatcher watcher([&](const gui_test::SeenBox&) {
        std::atomic<bool> written = false;
        std::thread writer([&] {
            edit.SetText("框内写入");
            written = true;
        });
        for (int i = 0; i < 500 && !written; ++i) Sleep(10);
        landedWhileShown = written.load();
        // The writer is only joined once the box has gone, so a deadlock
        // shows as a failed expectation instead of a hung test.
        writer.detach();
        return IDOK;
    });
    ShowPlainMessage("等待中");
    EXPECT_TRUE(landedWhileShown);
    EXPECT_EQ(edit.GetText(), "框内写入");
    ASSERT_EQ(watcher.Count(), 1u);
    const gui_test::SeenBox box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, "信息：");
    EXPECT_EQ(box.text, "等待中");
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(FormRuntimeTest, AClosedFormReadsAsEmptyFromEveryThread) {
    const Control edit = form_->Find("编辑框");
    const Control list = form_->Find("列表");
    list.ListInsertRow();
    form_->Close();
    EXPECT_FALSE(form_->IsOpen());
    EXPECT_TRUE(form_->Find("编辑框").IsEmpty());
    std::string text = "unchanged";
    int rows = -1;
    std::thread worker([&] {
        edit.SetText("ignored");
        text = edit.GetText();
        rows = list.ListRowCount();
    });
    worker.join();
    EXPECT_EQ(text, "");
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(list.ListInsertRow(), -1);
    EXPECT_EQ(list.GetNumber(kPropSelectedRow), -1);
    EXPECT_EQ(Control().GetNumber(kPropTicked), 0);
    EXPECT_EQ(Control().GetText(), "");
}

TEST_F(FormRuntimeTest, AModalFormDisablesItsOwnerUntilItCloses) {
    bool ownerDisabled = false;
    const FormDef modal{"模态窗口", 60, 60, 200, 100, {{"确定", ControlKind::PushButton, 10, 10, 60, 24, "确定"}}};
    gui_test::WhenWindowShown act("模态窗口", [&](HWND window) {
        ownerDisabled = !IsWindowEnabled(form_->Handle());
        Click(gui_test::FindChild(window, L"Button", "确定"));
    });
    RunModalForm(modal, form_->Handle(), [](Form& f, const FormEvent& e) {
        if (e.kind == FormEventKind::Clicked) f.Close();
    });
    EXPECT_TRUE(act.Fired());
    EXPECT_FALSE(act.TimedOut());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
}

// Finds the pop-up menu of this process and types keys into it.
void TypeIntoMenu(std::vector<WPARAM> keys, std::atomic<bool>& typed) {
    for (int i = 0; i < 1000 && !typed; ++i) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu != nullptr && IsWindowVisible(menu)) {
            for (WPARAM key : keys) {
                PostMessageW(menu, WM_KEYDOWN, key, 0);
                PostMessageW(menu, WM_KEYUP, key, 0);
            }
            typed = true;
        }
        Sleep(10);
    }
}

TEST_F(FormRuntimeTest, PopUpMenuGivesTheChosenItemOrMinusOne) {
    struct Case {
        std::vector<WPARAM> keys;
        int expected;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_DOWN, VK_RETURN}, 1},
        {{VK_ESCAPE}, -1},
    };
    for (const Case& c : cases) {
        std::atomic<bool> typed = false;
        std::thread typist(TypeIntoMenu, c.keys, std::ref(typed));
        const int chosen = form_->PopUpMenu("菜单");
        typed = true;
        typist.join();
        EXPECT_EQ(chosen, c.expected);
    }
    EXPECT_EQ(form_->PopUpMenu("没有这个菜单"), -1);
}

}  // namespace
}  // namespace sorvane
