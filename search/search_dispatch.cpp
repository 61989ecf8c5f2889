#include "search/search_dispatch.h"

namespace sorvane {

void StartSearch() {}

}  // namespace sorvane
