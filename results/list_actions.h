// What the user does with a result row: open it, copy its address or title,
// and export every row.
#pragma once

namespace sorvane {

class Control;

enum class ResultCommand { OpenAddress, CopyAddress, CopyTitle, ExportAll };

// A command of the result lists' pop-up menu, for the list it was raised in.
void RunResultCommand(ResultCommand command, const Control& list);
// A double-click in a result list.
void OpenRowAddress(const Control& list);

}  // namespace sorvane
