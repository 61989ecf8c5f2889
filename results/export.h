// Writing every row of both result lists to a text file beside the program.
#pragma once

#include <string>
#include <string_view>

namespace sorvane {

class Control;

// The export file's bytes: each row's title, six spaces and address, then an
// empty line; the "筛选后：" header; the filtered rows the same way.
std::string ExportText(const Control& allRows, const Control& filteredRows);

// True when the keyword can be part of a file name in the program's
// directory: no path separator, drive colon, wildcard, quote, angle bracket,
// bar or control character.
bool IsUsableInFileName(std::string_view keyword);

// How Explorer is started: RunCommandLine by default. Gives the previous one.
using CommandRunner = bool (*)(std::string_view commandLine, unsigned waitForInputIdleMs);
CommandRunner ReplaceCommandRunner(CommandRunner runner);

// The "全部导出" command: writes the file, tells the user, opens Explorer on it.
void ExportAllRows();

}  // namespace sorvane
