#include "app/main_window.h"

#include <commctrl.h>

#include <memory>

#include "app/files.h"
#include "app/shared_state.h"
#include "app/text.h"
#include "results/list_actions.h"
#include "results/result_filter.h"
#include "search/search_dispatch.h"
#include "search/sites.h"
#include "settings/other_sites_window.h"

namespace sorvane {
namespace {

std::unique_ptr<Form> g_mainWindow;

void OnCreated(Form& form) {
    // The skin is set up for the window and its controls here, before
    // anything else (SetSkin, SetSkinOptions, ApplySkin, SetCloseEffect).

    Shared().resultListLock.Open();
    Shared().otherSitesText = BytesToText(ReadWholeFile("url.txt"));
    for (const SiteEntry& site : SiteTable())
        Shared().siteBoxes[static_cast<std::size_t>(site.index - 1)] = form.Find(site.boxName);
}

// "全部" sets every service box and "其他" to its own state. These are
// property writes, so "其他" does not open the settings window from here.
void OnAllBoxClicked(Form& form, const Control& allBox) {
    const long long ticked = allBox.GetNumber(kPropTicked);
    for (const Control& box : Shared().siteBoxes) box.SetNumber(kPropTicked, ticked);
    form.Find("选择框1").SetNumber(kPropTicked, ticked);
}

// The row under the pointer becomes the only selected one, so the menu's
// commands act on the row the user clicked.
void SelectRowAt(const Control& list, POINT screenPoint) {
    LVHITTESTINFO hit = {};
    hit.pt = screenPoint;
    ScreenToClient(list.Handle(), &hit.pt);
    const int row = static_cast<int>(
        SendMessageW(list.Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0) list.SetNumber(kPropSelectedRow, row);
}

void OnResultListRightClicked(Form& form, const FormEvent& event) {
    SelectRowAt(event.source, event.point);
    const int item = form.PopUpMenu("Tarnwick");
    if (item >= 0 && item <= static_cast<int>(ResultCommand::ExportAll))
        RunResultCommand(static_cast<ResultCommand>(item), event.source);
}

void OnMainWindowEvent(Form& form, const FormEvent& event) {
    const std::string_view name = event.control;
    switch (event.kind) {
    case FormEventKind::Created:
        OnCreated(form);
        break;
    case FormEventKind::Clicked:
        if (name == "按钮1") {
            StartSearch();
        } else if (name == "超级按钮1") {
            RunResultFilter();
        } else if (name == "选择框_全部") {
            OnAllBoxClicked(form, event.source);
        } else if (name == "选择框1") {
            if (event.source.GetNumber(kPropTicked) != 0) OpenOtherSitesWindow(form.Handle());
        }
        break;
    case FormEventKind::KeyDown:
        if (name == "编辑框1" && event.key == VK_RETURN) StartSearch();
        break;
    case FormEventKind::TextChanged:
        if (name == "编辑框2") OnFilterTextChanged();
        break;
    case FormEventKind::DoubleClicked:
        if (name == "超级列表框1") OpenRowAddress(event.source);
        break;
    case FormEventKind::RightClicked:
        if (name == "超级列表框1" || name == "超级列表框2") OnResultListRightClicked(form, event);
        break;
    case FormEventKind::Destroying:
        // Workers stop cooperatively: waiters give up and holders see the
        // lock closed before their next row, so none writes to this window
        // again.
        Shared().resultListLock.Close();
        break;
    }
}

}  // namespace

Form* MainWindow() {
    return g_mainWindow != nullptr && g_mainWindow->IsOpen() ? g_mainWindow.get() : nullptr;
}

Form& LoadMainWindow() {
    g_mainWindow.reset();
    g_mainWindow = Form::Create(MainFormDefinition(), nullptr, OnMainWindowEvent);
    g_mainWindow->Show();
    return *g_mainWindow;
}

void RunProgram() {
    InitFormRuntime();
    ResetSharedState();
    // The skin engine starts here (graphics library, program icon, skin
    // settings), before any window exists.
    LoadMainWindow();
    RunMessageLoop([] { return MainWindow() != nullptr; });
    ReleaseSharedState();
    // Workers may still be blocked on the network, and a thread cut off by a
    // normal exit could hold a lock that the exit path then waits for: end
    // the process at once. Nothing is left to flush; files are written whole
    // and closed when saved.
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

}  // namespace sorvane
