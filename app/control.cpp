// Control properties and report-list commands, carried out on the thread
// that owns the control.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/codepage.h"
#include "app/form_runtime.h"
#include "app/text.h"
#include "app/ui_thread.h"

namespace sorvane {
namespace {

std::wstring WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::CheckBox || kind == ControlKind::PushButton ||
           kind == ControlKind::PictureButton;
}

void SelectOnlyRow(HWND list, long long row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    if (row < 0 || row >= count) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace

long long Control::GetNumber(int property) const {
    // A list that is gone has no selected row.
    long long value = property == kPropSelectedRow ? -1 : 0;
    const HWND h = handle_;
    const ControlKind kind = kind_;
    RunOnWindowThread(h, [&] {
        switch (property) {
        case kPropVisible:
            value = (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
            break;
        case kPropDisabled:
            value = !IsWindowEnabled(h);
            break;
        case kPropText:
            value = static_cast<long long>(TextToNumber(GbkFromWide(WindowTextOf(h))));
            break;
        case kPropTicked:
            if (IsButtonKind(kind)) value = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
            break;
        case kPropSelectedRow:
            if (kind == ControlKind::ReportList)
                value = SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
            break;
        default:
            break;
        }
    });
    return value;
}

void Control::SetNumber(int property, long long value) const {
    const HWND h = handle_;
    const ControlKind kind = kind_;
    RunOnWindowThread(h, [&] {
        PropertyWriteScope writing;
        switch (property) {
        case kPropVisible:
            ShowWindow(h, value != 0 ? SW_SHOWNA : SW_HIDE);
            break;
        case kPropDisabled:
            EnableWindow(h, value == 0);
            break;
        case kPropText:
            SetWindowTextW(h, WideFromGbk(NumberToText(value)).c_str());
            break;
        case kPropTicked:
            if (IsButtonKind(kind))
                SendMessageW(h, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case kPropSelectedRow:
            if (kind == ControlKind::ReportList) SelectOnlyRow(h, value);
            break;
        default:
            break;
        }
    });
}

std::string Control::GetText() const {
    std::wstring text;
    const HWND h = handle_;
    RunOnWindowThread(h, [&] { text = WindowTextOf(h); });
    return GbkFromWide(text);
}

void Control::SetText(std::string_view gbk) const {
    const std::wstring text = WideFromGbk(gbk);
    const HWND h = handle_;
    RunOnWindowThread(h, [&] {
        PropertyWriteScope writing;
        SetWindowTextW(h, text.c_str());
    });
}

void Control::ListDeleteAll() const {
    if (kind_ != ControlKind::ReportList) return;
    const HWND h = handle_;
    RunOnWindowThread(h, [&] {
        PropertyWriteScope writing;
        SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
    });
}

int Control::ListInsertRow() const {
    if (kind_ != ControlKind::ReportList) return -1;
    int row = -1;
    const HWND h = handle_;
    RunOnWindowThread(h, [&] {
        PropertyWriteScope writing;
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<wchar_t*>(L"");
        row = static_cast<int>(SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    });
    return row;
}

void Control::ListSetCell(int row, int column, std::string_view gbk) const {
    if (kind_ != ControlKind::ReportList || row < 0 || column < 0) return;
    const std::wstring text = WideFromGbk(gbk);
    const HWND h = handle_;
    RunOnWindowThread(h, [&] {
        PropertyWriteScope writing;
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(h, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    });
}

std::string Control::ListGetCell(int row, int column) const {
    if (kind_ != ControlKind::ReportList || row < 0 || column < 0) return {};
    std::wstring text;
    const HWND h = handle_;
    RunOnWindowThread(h, [&] {
        if (row >= SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) return;
        // The list gives no length: grow the buffer until the text fits.
        std::vector<wchar_t> buffer(256);
        for (;;) {
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const LRESULT copied = SendMessageW(h, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                reinterpret_cast<LPARAM>(&item));
            if (copied < static_cast<LRESULT>(buffer.size()) - 1 || buffer.size() >= (1u << 20)) {
                text.assign(buffer.data(), static_cast<std::size_t>(copied));
                return;
            }
            buffer.resize(buffer.size() * 4);
        }
    });
    return GbkFromWide(text);
}

int Control::ListRowCount() const {
    if (kind_ != ControlKind::ReportList) return 0;
    int count = 0;
    const HWND h = handle_;
    RunOnWindowThread(h, [&] { count = static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)); });
    return count;
}

void Control::ListRedrawNow() const {
    const HWND h = handle_;
    RunOnWindowThread(h, [&] { RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); });
}

}  // namespace sorvane
