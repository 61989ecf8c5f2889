// ShowMessage's result and what reaches the box; the clipboard and starting
// programs.
#include "app/message_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/form_runtime.h"
#include "app/shell.h"
#include "support/gui.h"

namespace sorvane {
namespace {

TEST(ShowMessage, GivesThePressedButtonMinusOneAndShowsOwnerCaptionAndText) {
    InitFormRuntime();
    const std::unique_ptr<Form> owner =
        Form::Create(FormDef{"消息测试", 10, 10, 200, 100, {}}, nullptr, {});
    owner->Show();
    struct Case {
        unsigned flags;
        int press;
        int expected;
    };
    const Case cases[] = {
        {0, IDOK, 0},
        {MB_OKCANCEL, IDCANCEL, 1},
        {MB_YESNO, IDNO, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const gui_test::MessageBoxWatcher watcher([&](const gui_test::SeenBox&) { return c.press; });
        EXPECT_EQ(ShowMessage(owner->Handle(), "第一行\r\n第二行", c.flags, "提示"), c.expected);
        ASSERT_EQ(watcher.Count(), 1u);
        const gui_test::SeenBox box = watcher.Seen()[0];
        EXPECT_EQ(box.owner, owner->Handle());
        EXPECT_EQ(box.caption, "提示");
        EXPECT_NE(box.text.find("第一行"), std::string::npos);
        EXPECT_NE(box.text.find("第二行"), std::string::npos);
    }
}

TEST(Shell, ClipboardHoldsTheTextAsUnicode) {
    ASSERT_TRUE(SetClipboardText("复制成功 abc"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(text, L"\u590D\u5236\u6210\u529F abc");
}

TEST(Shell, RunCommandLineTellsWhetherTheProgramStarted) {
    EXPECT_TRUE(RunCommandLine("cmd.exe /c exit 0", 1000));
    EXPECT_FALSE(RunCommandLine("no-such-program-sorvane.exe", 1000));
    EXPECT_FALSE(RunCommandLine("", 1000));
}

}  // namespace
}  // namespace sorvane
