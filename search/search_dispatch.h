// The search button's handler: one worker per ticked service and listed site.
#pragma once

namespace sorvane {

// Runs on the user-interface thread and returns at once.
void StartSearch();

}  // namespace sorvane
