#include "app/form_runtime.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/codepage.h"
#include "app/form_controls.h"
#include "app/ui_thread.h"

namespace sorvane {
namespace {

constexpr wchar_t kFormClass[] = L"SorvaneForm";
constexpr wchar_t kFormProperty[] = L"SorvaneFormObject";
constexpr int kFirstControlId = 1001;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

HICON ProgramIcon() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(129));
    if (icon == nullptr) icon = LoadIconW(instance, L"DEFAULT_ICON");
    if (icon == nullptr) icon = LoadIconW(nullptr, IDI_APPLICATION);
    return icon;
}

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::CheckBox ||
           kind == ControlKind::PictureButton;
}

bool IsEditKind(ControlKind kind) {
    return kind == ControlKind::EditBox || kind == ControlKind::MultiLineEdit;
}

// Wakes the thread's message loop, which checks its condition only after a
// message: a window closed from a sent message would otherwise leave the loop
// waiting for the next input.
void WakeMessageLoop() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }

}  // namespace

void InitFormRuntime() {
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)commonControls;
    // The shell's open verb wants a single-threaded apartment on its caller.
    static thread_local const bool comReady =
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    (void)comReady;
    SetUiThread(GetCurrentThreadId());
    EnsureDispatcherForThisThread();
}

std::unique_ptr<Form> Form::Create(const FormDef& definition, HWND owner, FormEventHandler handler) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Form::Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = ProgramIcon();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kFormClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    // Cross-thread property calls reach this thread's windows through it.
    EnsureDispatcherForThisThread();
    std::unique_ptr<Form> form(new Form());
    form->owner_ = owner;
    form->handler_ = std::move(handler);

    HMENU menuBar = nullptr;
    for (const MenuDef& menu : definition.menus) {
        HMENU popup = CreatePopupMenu();
        UINT command = 1;
        for (const char* item : menu.items)
            AppendMenuW(popup, MF_STRING, command++, WideFromGbk(item).c_str());
        if (!menu.hidden) {
            if (menuBar == nullptr) menuBar = CreateMenu();
            AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                        WideFromGbk(menu.caption).c_str());
        }
        form->menus_.push_back({menu.caption, popup, !menu.hidden});
    }

    // The client area gets the form's full size while the platform draws the frame.
    // An owned window gets no minimize box: minimized, it would leave its
    // disabled owner with nothing to return to.
    const DWORD style = kFormStyle | (owner == nullptr ? WS_MINIMIZEBOX : 0);
    RECT outer = {0, 0, definition.width, definition.height};
    AdjustWindowRectEx(&outer, style, menuBar != nullptr, 0);
    CreateWindowExW(0, kFormClass, WideFromGbk(definition.title).c_str(), style,
                    definition.left, definition.top, outer.right - outer.left,
                    outer.bottom - outer.top, owner, menuBar, GetModuleHandleW(nullptr),
                    form.get());
    if (form->window_ == nullptr) {
        if (menuBar != nullptr) DestroyMenu(menuBar);
        form->ReleaseMenus();
        return form;
    }

    form->font_.Reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
    int id = kFirstControlId;
    for (const ControlDef& control : definition.controls) {
        HWND child = CreateFormControl(form->window_, control, id, form->font_.Get());
        form->entries_.push_back({control.name, Control(child, control.kind), id});
        ++id;
    }
    form->Raise({FormEventKind::Created, {}, {}});
    return form;
}

Form::~Form() {
    Close();
    ReleaseMenus();
}

void Form::ReleaseMenus() {
    for (Menu& menu : menus_)
        if (!menu.inMenuBar && menu.popup != nullptr) DestroyMenu(menu.popup);
    menus_.clear();
}

Control Form::Find(std::string_view formName) const {
    if (window_ == nullptr) return {};
    for (const Entry& entry : entries_)
        if (entry.name == formName) return entry.control;
    return {};
}

const Form::Entry* Form::EntryById(int id) const {
    const std::size_t index = static_cast<std::size_t>(id - kFirstControlId);
    if (id < kFirstControlId || index >= entries_.size()) return nullptr;
    return &entries_[index];
}

void Form::Show() {
    const HWND window = window_;
    RunOnWindowThread(window, [window] {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    });
}

void Form::Close() {
    const HWND window = window_;
    RunOnWindowThread(window, [this, window] {
        // The owner comes back before the window goes, so activation returns to it.
        if (modal_ && owner_ != nullptr) EnableWindow(owner_, TRUE);
        DestroyWindow(window);
    });
}

int Form::PopUpMenu(std::string_view menuCaption) {
    if (window_ == nullptr) return -1;
    for (const Menu& menu : menus_) {
        if (menu.caption != menuCaption) continue;
        POINT at = {};
        GetCursorPos(&at);
        // Without this the menu stays open when the user clicks elsewhere.
        SetForegroundWindow(window_);
        const int command = static_cast<int>(TrackPopupMenuEx(
            menu.popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
            at.x, at.y, window_, nullptr));
        if (window_ != nullptr) PostMessageW(window_, WM_NULL, 0, 0);
        return command - 1;
    }
    return -1;
}

void Form::Raise(const FormEvent& event) {
    if (!handler_) return;
    try {
        handler_(*this, event);
    } catch (...) {
        // A handler's failure must not unwind into the platform.
    }
}

LRESULT CALLBACK Form::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetPropW(window, kFormProperty, form);
    }
    auto* form = static_cast<Form*>(GetPropW(window, kFormProperty));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return form->OnMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = window_;
    switch (message) {
    case WM_COMMAND: {
        const Entry* entry = EntryById(LOWORD(wParam));
        if (entry == nullptr || lParam == 0 || PropertyWriteScope::Active()) break;
        const ControlKind kind = entry->control.Kind();
        if (HIWORD(wParam) == BN_CLICKED && IsButtonKind(kind))
            Raise({FormEventKind::Clicked, entry->name, entry->control});
        else if (HIWORD(wParam) == EN_CHANGE && IsEditKind(kind))
            Raise({FormEventKind::TextChanged, entry->name, entry->control});
        return 0;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const Entry* entry = EntryById(static_cast<int>(header->idFrom));
        if (entry == nullptr || entry->control.Kind() != ControlKind::ReportList ||
            PropertyWriteScope::Active())
            break;
        if (header->code != NM_DBLCLK && header->code != NM_RCLICK) break;
        // Where the click was, from the list itself rather than from the
        // last message retrieved.
        POINT point = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction;
        ClientToScreen(header->hwndFrom, &point);
        if (header->code == NM_DBLCLK)
            Raise({FormEventKind::DoubleClicked, entry->name, entry->control, 0, point});
        else if (header->code == NM_RCLICK)
            Raise({FormEventKind::RightClicked, entry->name, entry->control, 0, point});
        return 0;
    }
    case kFormKeyDownMessage: {
        const Entry* entry = EntryById(static_cast<int>(wParam));
        if (entry != nullptr)
            Raise({FormEventKind::KeyDown, entry->name, entry->control, static_cast<int>(lParam)});
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // Labels and check boxes show the window's background through them.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const Entry* entry = EntryById(static_cast<int>(wParam));
        if (entry == nullptr || entry->control.Kind() != ControlKind::PictureButton) break;
        DrawPictureButton(*item);
        return TRUE;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        Raise({FormEventKind::Destroying, {}, {}});
        break;
    case WM_NCDESTROY:
        RemovePropW(window, kFormProperty);
        window_ = nullptr;
        WakeMessageLoop();
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RunModalForm(const FormDef& definition, HWND owner, FormEventHandler handler) {
    std::unique_ptr<Form> form = Form::Create(definition, owner, std::move(handler));
    if (!form->IsOpen()) return;
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    form->modal_ = ownerWasEnabled;
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    form->Show();
    RunMessageLoop([&form] { return form->IsOpen(); });
    if (ownerWasEnabled && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void ProcessPendingEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void RunMessageLoop(const std::function<bool()>& keepRunning) {
    MSG message;
    while (keepRunning()) {
        // Messages sent from other threads are handled inside the wait and
        // PeekMessage without ever returning a message, yet may end the loop:
        // wake for them too and look at `keepRunning` again.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (keepRunning() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Leave the quit for the loop that owns it.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void ShowPlainMessage(std::string_view gbk) {
    MessageBoxW(nullptr, WideFromGbk(gbk).c_str(), L"信息：", MB_OK | MB_TASKMODAL);
}

}  // namespace sorvane
