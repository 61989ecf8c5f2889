#include "results/result_filter.h"

#include "app/form_runtime.h"
#include "app/main_window.h"
#include "app/text.h"

namespace sorvane {

void RunResultFilter() {
    Form* window = MainWindow();
    if (window == nullptr) return;
    const Control allRows = window->Find("超级列表框1");
    const Control filteredRows = window->Find("超级列表框2");
    const Control filterBox = window->Find("编辑框2");
    const Control resultLabel = window->Find("透明标签1");

    filteredRows.ListDeleteAll();
    // Rows that running workers add from here on are not looked at.
    const int rows = allRows.ListRowCount();
    int matches = 0;
    for (int row = 0; row < rows; ++row) {
        const std::string title = allRows.ListGetCell(row, 1);
        const std::string filter = filterBox.GetText();
        // An empty filter matches every row with a title.
        if (title.empty() || TextFind(title, filter) < 0) continue;
        filteredRows.SetNumber(kPropVisible, 1);
        allRows.SetNumber(kPropVisible, 0);
        const int added = filteredRows.ListInsertRow();
        filteredRows.ListSetCell(added, 0, NumberToText(++matches));
        filteredRows.ListSetCell(added, 1, title);
        filteredRows.ListSetCell(added, 2, allRows.ListGetCell(row, 2));
        resultLabel.SetText("结果：" + NumberToText(filteredRows.ListRowCount()));
    }
}

void OnFilterTextChanged() {
    Form* window = MainWindow();
    if (window == nullptr || !window->Find("编辑框2").GetText().empty()) return;
    const Control allRows = window->Find("超级列表框1");
    window->Find("超级列表框2").SetNumber(kPropVisible, 0);
    allRows.SetNumber(kPropVisible, 1);
    window->Find("透明标签2").SetText("资源数：" + NumberToText(allRows.ListRowCount()));
}

}  // namespace sorvane
