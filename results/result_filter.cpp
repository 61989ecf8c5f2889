#include "results/result_filter.h"

namespace sorvane {

void RunResultFilter() {}
void OnFilterTextChanged() {}

}  // namespace sorvane
