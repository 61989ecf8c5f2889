// The form runtime: windows built from form definitions, controls addressed
// by their form names, properties by number, report-list commands, pop-up
// menus, modal forms and the message loop.
//
// Every window is a Unicode window; texts cross this boundary as GBK and are
// converted with code page 936. Control methods may be called from any
// thread: the work is carried out on the thread that owns the window (a sent
// closure, which modal loops such as message boxes and menus still dispatch),
// and on a destroyed window a call does nothing and reads as empty or 0.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/gdi_handle.h"

namespace sorvane {

// Property numbers.
inline constexpr int kPropVisible = 5;
inline constexpr int kPropDisabled = 6;
inline constexpr int kPropText = 8;
inline constexpr int kPropTicked = 18;
inline constexpr int kPropSelectedRow = 35;  // first selected row, 0-based, -1 none

enum class ControlKind {
    Label,          // transparent label (a static text)
    EditBox,        // single-line edit box
    MultiLineEdit,  // edit box with several lines and a vertical scroll bar
    PushButton,
    CheckBox,
    PictureButton,  // a button showing a magnifier glyph, lit while hovered
    ReportList,     // report-style list view
};

struct ColumnDef {
    const char* title;
    int width;
};

struct ControlDef {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* text = "";
    bool visible = true;
    std::vector<ColumnDef> columns = {};  // report lists only
};

// A menu of the window. A hidden one is not put in a menu bar; it is only
// shown as a pop-up menu.
struct MenuDef {
    const char* caption;
    bool hidden;
    std::vector<const char*> items;
};

// A window as data. Place and size are the window's; until the window draws
// its own frame, the platform's caption and border are added around it so the
// client area keeps the full size and the controls their places.
struct FormDef {
    const char* title;
    int left, top, width, height;
    std::vector<ControlDef> controls;
    std::vector<MenuDef> menus = {};
};

// A cheap, copyable reference to one control. Default-constructed it refers
// to nothing, and every call on it is a no-op.
class Control {
public:
    Control() = default;
    Control(HWND handle, ControlKind kind) : handle_(handle), kind_(kind) {}

    long long GetNumber(int property) const;
    // Writing raises no event of the control.
    void SetNumber(int property, long long value) const;
    std::string GetText() const;
    void SetText(std::string_view gbk) const;

    // Report lists.
    void ListDeleteAll() const;
    int ListInsertRow() const;  // at the end; its 0-based index, -1 on failure
    void ListSetCell(int row, int column, std::string_view gbk) const;
    std::string ListGetCell(int row, int column) const;
    int ListRowCount() const;
    void ListRedrawNow() const;

    HWND Handle() const { return handle_; }
    ControlKind Kind() const { return kind_; }
    bool IsEmpty() const { return handle_ == nullptr; }
    bool operator==(const Control& other) const { return handle_ == other.handle_; }

private:
    HWND handle_ = nullptr;
    ControlKind kind_ = ControlKind::Label;
};

enum class FormEventKind {
    Created,        // all controls exist; runs before the window is shown
    Clicked,        // push, picture and check buttons (a check box has already toggled)
    DoubleClicked,  // report lists
    RightClicked,   // report lists; `point` is the pointer in screen coordinates
    TextChanged,    // edit boxes, by the user only
    KeyDown,        // edit boxes; `key` is the virtual-key code
    Destroying,     // the window is about to be destroyed
};

struct FormEvent {
    FormEventKind kind;
    std::string_view control;  // the control's form name; empty for the window
    Control source;
    int key = 0;
    POINT point = {0, 0};
};

class Form;
using FormEventHandler = std::function<void(Form& form, const FormEvent& event)>;

// A loaded window. The object outlives its window: once the window is gone,
// Handle() is null and Find gives empty references.
class Form {
public:
    // Creates the window and its controls on the calling thread, raises
    // Created, and leaves the window hidden. `owner` may be null.
    static std::unique_ptr<Form> Create(const FormDef& definition, HWND owner,
                                        FormEventHandler handler);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return window_; }
    bool IsOpen() const { return window_ != nullptr; }
    Control Find(std::string_view formName) const;
    void Show();
    // Destroys the window (on its own thread); nothing when already closed.
    void Close();
    // Pops up the named menu at the pointer; the chosen item's 0-based index,
    // or -1 when the menu was dismissed.
    int PopUpMenu(std::string_view menuCaption);

private:
    struct Entry {
        std::string name;
        Control control;
        int id;
    };
    struct Menu {
        std::string caption;
        HMENU popup;
        bool inMenuBar;  // then the window destroys it
    };
    Form() = default;
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Raise(const FormEvent& event);
    const Entry* EntryById(int id) const;
    void ReleaseMenus();

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    bool modal_ = false;
    FormEventHandler handler_;
    std::vector<Entry> entries_;
    std::vector<Menu> menus_;
    GdiObject<HFONT> font_;
    friend void RunModalForm(const FormDef&, HWND, FormEventHandler);
};

// Shows the form modal to `owner` (which is disabled meanwhile) and returns
// when the form's window has been destroyed.
void RunModalForm(const FormDef& definition, HWND owner, FormEventHandler handler);

// Registers the window classes and common controls, and makes the calling
// thread the user-interface thread. Safe to call more than once.
void InitFormRuntime();

// Runs `work` on the user-interface thread and returns when it has run
// (directly when already there). False when there is no such thread.
bool RunOnUiThread(const std::function<void()>& work);
// Queues `work` for the user-interface thread and returns at once; it runs
// from whatever message loop that thread is in.
bool PostToUiThread(std::function<void()> work);

// Dispatches the calling thread's waiting messages, then returns.
void ProcessPendingEvents();
// Runs the calling thread's message loop while `keepRunning` says so.
void RunMessageLoop(const std::function<bool()>& keepRunning);

// The plain box: caption "信息：", no owner, task-modal, one OK button.
void ShowPlainMessage(std::string_view gbk);

}  // namespace sorvane
