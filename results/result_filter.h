// Narrowing the result list to rows whose title holds a text, and back.
#pragma once

namespace sorvane {

// The filter button `超级按钮1`.
void RunResultFilter();
// `编辑框2` changed: restores the full list when the box is now empty.
void OnFilterTextChanged();

}  // namespace sorvane
