// The child controls of a form: creation from their definitions, the
// subclasses that report key presses and hover, and the picture button's
// glyph.
#pragma once

#include <windows.h>

#include "app/form_runtime.h"

namespace sorvane {

// Sent by an edit box to its form: wParam the control's id, lParam the key.
inline constexpr UINT kFormKeyDownMessage = WM_APP + 0x61;

// Creates the control as a child of `parent` with identifier `id`.
HWND CreateFormControl(HWND parent, const ControlDef& definition, int id, HFONT font);

// Paints a picture button (its owner-draw request).
void DrawPictureButton(const DRAWITEMSTRUCT& item);

}  // namespace sorvane
