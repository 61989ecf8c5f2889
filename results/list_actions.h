// What the user does with a result row: open it, copy its address or title,
// and export every row.
#pragma once

#include <string_view>

namespace sorvane {

class Control;

enum class ResultCommand { OpenAddress, CopyAddress, CopyTitle, ExportAll };

// A command of the result lists' pop-up menu, for the list it was raised in.
void RunResultCommand(ResultCommand command, const Control& list);
// A double-click in a result list: opens the selected row's address when it
// is an http:// or https:// address, and tells the user why not otherwise.
void OpenRowAddress(const Control& list);

// True for an address that starts with http:// or https:// (any letter case).
bool IsWebAddress(std::string_view address);

// Where opened addresses go: the shell by default. Gives the previous one.
using AddressOpener = void (*)(std::string_view address);
AddressOpener ReplaceAddressOpener(AddressOpener opener);

}  // namespace sorvane
