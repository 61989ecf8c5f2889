#include "results/export.h"

#include "app/codepage.h"
#include "app/files.h"
#include "app/form_runtime.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/shell.h"
#include "app/text.h"

namespace sorvane {
namespace {

constexpr std::string_view kRecordGap = "      ";
constexpr std::string_view kLineEnd = "\r\n";
constexpr unsigned kExplorerReadyWaitMs = 1000;

CommandRunner commandRunner = RunCommandLine;

void AppendRecords(std::string& out, const Control& list) {
    const int rows = list.ListRowCount();
    for (int row = 0; row < rows; ++row) {
        out += list.ListGetCell(row, 1);
        out += kRecordGap;
        out += list.ListGetCell(row, 2);
        out += kLineEnd;
        out += kLineEnd;
    }
}

std::string ExportPath(const Control& keywordBox) {
    return ProgramDirectory() + "\\" + keywordBox.GetText() + "资源列表.txt";
}

}  // namespace

std::string ExportText(const Control& allRows, const Control& filteredRows) {
    std::string out;
    AppendRecords(out, allRows);
    out += "筛选后：";
    out += kLineEnd;
    out += kLineEnd;
    AppendRecords(out, filteredRows);
    return out;
}

bool IsUsableInFileName(std::string_view keyword) {
    // Checked on the characters, not the bytes: GBK trail bytes may be "\" or "|".
    for (const wchar_t c : WideFromGbk(keyword)) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    }
    return true;
}

CommandRunner ReplaceCommandRunner(CommandRunner runner) {
    const CommandRunner previous = commandRunner;
    commandRunner = runner != nullptr ? runner : RunCommandLine;
    return previous;
}

void ExportAllRows() {
    Form* window = MainWindow();
    if (window == nullptr) return;
    const Control keywordBox = window->Find("编辑框1");
    const std::string text = ExportText(window->Find("超级列表框1"), window->Find("超级列表框2"));

    if (!IsUsableInFileName(keywordBox.GetText())) {
        ShowMessage(window->Handle(),
                    "关键字中含有文件名不能使用的字符（\\ / : * ? \" < > | 等），未导出。请修改关键字后再导出。",
                    0, "提示");
        return;
    }
    const std::string path = ExportPath(keywordBox);
    if (!WriteWholeFile(path, text)) {
        ShowMessage(window->Handle(), "导出失败，无法写入文件：\r\n" + path, 0, "提示");
        return;
    }
    ShowMessage(window->Handle(), "导出成功！", 0, "提示");

    // A program directory that already ends with a backslash gives "\\" here.
    const std::string shownPath = TextReplaceAll(ExportPath(keywordBox), "\\\\", "\\");
    commandRunner("explorer /n,/select,\"" + shownPath + "\"", kExplorerReadyWaitMs);
}

}  // namespace sorvane
