#include "results/list_actions.h"

#include "app/form_runtime.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/shell.h"
#include "app/text.h"
#include "results/export.h"

namespace sorvane {
namespace {

AddressOpener addressOpener = OpenWithShell;

constexpr int kTitleColumn = 1;
constexpr int kAddressColumn = 2;

std::string SelectedCell(const Control& list, int column) {
    const long long row = list.GetNumber(kPropSelectedRow);
    if (row < 0) return {};
    return list.ListGetCell(static_cast<int>(row), column);
}

void Tell(std::string_view text) {
    Form* window = MainWindow();
    ShowMessage(window != nullptr ? window->Handle() : nullptr, text, 0, "提示");
}

void CopySelectedCell(const Control& list, int column) {
    if (SetClipboardText(SelectedCell(list, column)))
        Tell("复制成功！");
    else
        Tell("复制失败：剪贴板正被其他程序占用，请稍后再试。");
}

}  // namespace

bool IsWebAddress(std::string_view address) {
    const std::string lower = TextLower(TextLeft(address, 8));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

void OpenRowAddress(const Control& list) {
    const std::string address = SelectedCell(list, kAddressColumn);
    if (address.empty()) return;
    // The address comes from a web page: only web addresses go to the shell,
    // never a local path, a file: address or another program's scheme.
    if (!IsWebAddress(address)) {
        Tell("这个地址不是以 http:// 或 https:// 开头的网址，为安全起见不打开：\r\n" + address);
        return;
    }
    addressOpener(address);
}

AddressOpener ReplaceAddressOpener(AddressOpener opener) {
    const AddressOpener previous = addressOpener;
    addressOpener = opener != nullptr ? opener : OpenWithShell;
    return previous;
}

void RunResultCommand(ResultCommand command, const Control& list) {
    switch (command) {
        case ResultCommand::OpenAddress: OpenRowAddress(list); break;
        case ResultCommand::CopyAddress: CopySelectedCell(list, kAddressColumn); break;
        case ResultCommand::CopyTitle: CopySelectedCell(list, kTitleColumn); break;
        case ResultCommand::ExportAll: ExportAllRows(); break;
    }
}

}  // namespace sorvane
