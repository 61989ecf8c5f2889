#include "app/form_controls.h"

#include <commctrl.h>

#include "app/codepage.h"
#include "app/gdi_handle.h"

namespace sorvane {
namespace {

constexpr wchar_t kPreviousProcedure[] = L"SorvaneFormPrevProc";
constexpr wchar_t kHovered[] = L"SorvaneFormHovered";

WNDPROC PreviousProcedure(HWND window) {
    return reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcedure));
}

void Subclass(HWND window, WNDPROC procedure) {
    const LONG_PTR previous =
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetPropW(window, kPreviousProcedure, reinterpret_cast<HANDLE>(previous));
}

// Chains to the previous procedure; at WM_NCDESTROY the subclass lets go
// (and puts the old procedure back when nobody subclassed on top of it).
LRESULT ChainAndRelease(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        WNDPROC self) {
    const WNDPROC previous = PreviousProcedure(window);
    if (message == WM_NCDESTROY) {
        RemovePropW(window, kPreviousProcedure);
        RemovePropW(window, kHovered);
        if (previous != nullptr &&
            GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(self))
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    if (previous == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_KEYDOWN) {
        const WNDPROC previous = PreviousProcedure(window);
        SendMessageW(GetParent(window), kFormKeyDownMessage,
                     static_cast<WPARAM>(GetDlgCtrlID(window)), static_cast<LPARAM>(wParam));
        // The handler may have closed the window.
        if (!IsWindow(window) || previous == nullptr) return 0;
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    // A single-line box beeps on Enter; Enter is the box's own key here.
    if (message == WM_CHAR && wParam == L'\r' &&
        (GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE) == 0)
        return 0;
    return ChainAndRelease(window, message, wParam, lParam, EditProcedure);
}

LRESULT CALLBACK PictureButtonProcedure(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message == WM_MOUSEMOVE && GetPropW(window, kHovered) == nullptr) {
        SetPropW(window, kHovered, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
    } else if (message == WM_MOUSELEAVE) {
        RemovePropW(window, kHovered);
        InvalidateRect(window, nullptr, FALSE);
    }
    return ChainAndRelease(window, message, wParam, lParam, PictureButtonProcedure);
}

struct ClassAndStyle {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

ClassAndStyle ClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case ControlKind::EditBox:
        return {L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::MultiLineEdit:
        return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
        return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::PictureButton:
        return {L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0};
    case ControlKind::ReportList:
        return {WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

void AddColumns(HWND list, const ControlDef& definition) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ColumnDef& column : definition.columns) {
        std::wstring title = WideFromGbk(column.title);
        LVCOLUMNW lvc = {};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        lvc.fmt = LVCFMT_LEFT;
        lvc.cx = column.width;
        lvc.pszText = title.data();
        lvc.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvc));
        ++index;
    }
}

}  // namespace

HWND CreateFormControl(HWND parent, const ControlDef& definition, int id, HFONT font) {
    const ClassAndStyle cs = ClassFor(definition.kind);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | cs.style | (definition.visible ? WS_VISIBLE : 0);
    HWND control = CreateWindowExW(cs.extendedStyle, cs.className,
                                   WideFromGbk(definition.text).c_str(), style, definition.left,
                                   definition.top, definition.width, definition.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) return nullptr;
    // Definition order is stacking order, first on top (and first in tab order).
    SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (font != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (definition.kind) {
    case ControlKind::EditBox:
    case ControlKind::MultiLineEdit:
        Subclass(control, EditProcedure);
        break;
    case ControlKind::PictureButton:
        Subclass(control, PictureButtonProcedure);
        break;
    case ControlKind::ReportList:
        AddColumns(control, definition);
        break;
    default:
        break;
    }
    return control;
}

void DrawPictureButton(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    const RECT r = item.rcItem;
    const bool hovered = GetPropW(item.hwndItem, kHovered) != nullptr;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(hovered ? COLOR_HIGHLIGHT : COLOR_BTNFACE));

    // A magnifier: a ring with a handle towards the lower right, centred in
    // the button (20 by 16 in the main window).
    const COLORREF ink = hovered ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_BTNTEXT);
    const int shift = pressed ? 1 : 0;
    const int cx = (r.left + r.right) / 2 - 2 + shift;
    const int cy = (r.top + r.bottom) / 2 - 2 + shift;
    const int radius = 4;
    {
        const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, ink));
        const SelectedObject withPen(dc, pen.Get());
        const SelectedObject withoutFill(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
        MoveToEx(dc, cx + radius - 1, cy + radius - 1, nullptr);
        LineTo(dc, cx + radius + 4, cy + radius + 4);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace sorvane
