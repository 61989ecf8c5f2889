#include "settings/other_sites_window.h"

#include "app/files.h"
#include "app/message_box.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "search/sites.h"

namespace sorvane {
namespace {

constexpr char kSitesFile[] = "url.txt";

void Save(Form& form) {
    const std::string text = form.Find("编辑框1").GetText();
    if (text.empty()) {
        ShowMessage(form.Handle(), "请输入内容！", 0, "提示");
        return;
    }
    if (TextEndsWith(text, ";")) {
        ShowPlainMessage("请不用分号结尾！");
        return;
    }
    Shared().otherSitesText = text;
    // Written beside and renamed over the old file, so a crash mid-save
    // never leaves a truncated list. When that fails the list still holds
    // for this run, and the user is told it will not survive a restart.
    if (!ReplaceFileAtomically(kSitesFile, text))
        ShowMessage(form.Handle(),
                    "无法写入文件“url.txt”，新的网址只在本次运行中有效。", 0, "提示");
    form.Close();
}

void OnOtherSitesEvent(Form& form, const FormEvent& event) {
    if (event.kind == FormEventKind::Created) {
        form.Find("编辑框1").SetText(Shared().otherSitesText);
        // The skin is set up here, with the same arguments as for the main
        // window (SetSkin, SetSkinOptions, ApplySkin, SetCloseEffect).
        return;
    }
    if (event.kind != FormEventKind::Clicked) return;
    if (event.control == "按钮1")
        Save(form);
    else if (event.control == "按钮3")
        form.Close();
    else if (event.control == "按钮2")
        ShowMessage(form.Handle(), OtherSitesHelpText(), 0, "帮助");
}

}  // namespace

const FormDef& OtherSitesFormDefinition() {
    static const FormDef definition{
        "设置-其他网盘", 50, 50, 381, 236,
        {
            {"编辑框1", ControlKind::MultiLineEdit, 6, 34, 368, 168, ""},
            {"按钮2", ControlKind::PushButton, 183, 208, 60, 24, "帮助"},
            {"按钮3", ControlKind::PushButton, 249, 208, 60, 24, "取消"},
            {"按钮1", ControlKind::PushButton, 314, 208, 60, 24, "确定"},
        }};
    return definition;
}

std::string OtherSitesHelpText() {
    const std::string home = SiteTable()[0].host;    // 百度网盘
    const std::string other = SiteTable()[13].host;  // vdisk威盘
    return "只需写入网址 如：百度网盘的首页地址是：" + home + " 在编辑框里面就是\r\n\r\n" + home +
           "\r\n\r\n支持多个网址 每个网址之间请用英文分号隔开\r\n\r\n如：" + home + ";" + other;
}

void OpenOtherSitesWindow(HWND owner) { RunModalForm(OtherSitesFormDefinition(), owner, OnOtherSitesEvent); }

}  // namespace sorvane
