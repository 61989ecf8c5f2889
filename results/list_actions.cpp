#include "results/list_actions.h"

namespace sorvane {

void RunResultCommand(ResultCommand, const Control&) {}
void OpenRowAddress(const Control&) {}

}  // namespace sorvane
