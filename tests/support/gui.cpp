#include "support/gui.h"

#include <map>

#include "app/codepage.h"
#include "app/main_window.h"
#include "app/shared_state.h"

namespace sorvane::gui_test {
namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring WideText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, text.data(), length + 1))));
    return text;
}

bool IsOurs(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

template <typename Visit>
void ForEachTopLevelWindow(Visit visit) {
    EnumWindows(
        [](HWND window, LPARAM context) noexcept -> BOOL {
            (*reinterpret_cast<Visit*>(context))(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visit));
}

// The text of a message box: the static control of id 0xFFFF, or else the
// first non-empty static text.
std::string MessageBoxText(HWND box) {
    if (HWND text = GetDlgItem(box, 0xFFFF)) return GbkFromWide(WideText(text));
    std::string found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM context) noexcept -> BOOL {
            auto* out = reinterpret_cast<std::string*>(context);
            if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) return TRUE;
            *out = GbkFromWide(WideText(child));
            return out->empty();
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::map<UINT_PTR, WhenWindowShown*>& Timers() {
    static std::map<UINT_PTR, WhenWindowShown*> timers;
    return timers;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return done();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        ProcessPendingEvents();
    }
}

HWND FindProcessWindow(std::string_view titleGbk) {
    const std::wstring title = WideFromGbk(titleGbk);
    HWND found = nullptr;
    ForEachTopLevelWindow([&](HWND window) {
        if (found == nullptr && IsOurs(window) && IsWindowVisible(window) && WideText(window) == title)
            found = window;
    });
    return found;
}

HWND FindChild(HWND parent, std::wstring_view className, std::string_view textGbk) {
    struct Search {
        std::wstring className;
        std::wstring text;
        bool anyText;
        HWND found;
    } search{std::wstring(className), WideFromGbk(textGbk), textGbk.empty(), nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) noexcept -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (_wcsicmp(ClassOf(child).c_str(), s->className.c_str()) == 0 &&
                (s->anyText || WideText(child) == s->text)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(const Control& button) { Click(button.Handle()); }
void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

std::string WindowText(HWND window) { return GbkFromWide(WideText(window)); }

MessageBoxWatcher::MessageBoxWatcher(Respond respond)
    : respond_(std::move(respond)), thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> MessageBoxWatcher::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

std::size_t MessageBoxWatcher::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_.size();
}

void MessageBoxWatcher::Watch() {
    std::vector<HWND> answered;
    while (!stop_) {
        std::erase_if(answered, [](HWND box) { return !IsWindow(box); });
        std::vector<HWND> boxes;
        ForEachTopLevelWindow([&](HWND window) {
            if (IsOurs(window) && IsWindowVisible(window) && ClassOf(window) == L"#32770" &&
                std::find(answered.begin(), answered.end(), window) == answered.end())
                boxes.push_back(window);
        });
        for (HWND box : boxes) {
            SeenBox seen{GetWindow(box, GW_OWNER), GbkFromWide(WideText(box)), MessageBoxText(box)};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(seen);
            }
            const int button = respond_ ? respond_(seen) : IDOK;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            answered.push_back(box);
        }
        Sleep(5);
    }
}

WhenWindowShown::WhenWindowShown(std::string_view titleGbk, std::function<void(HWND)> action,
                                 int timeoutMs)
    : title_(titleGbk),
      action_(std::move(action)),
      deadline_(GetTickCount() + static_cast<DWORD>(timeoutMs)) {
    timer_ = SetTimer(nullptr, 0, 15, &WhenWindowShown::Tick);
    if (timer_ != 0) Timers()[timer_] = this;
}

WhenWindowShown::~WhenWindowShown() {
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
        Timers().erase(timer_);
    }
}

void CALLBACK WhenWindowShown::Tick(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
    const auto found = Timers().find(timer);
    if (found == Timers().end()) return;
    try {
        found->second->Check();
    } catch (...) {
    }
}

void WhenWindowShown::Check() {
    HWND window = FindProcessWindow(title_);
    if (!fired_ && window != nullptr) {
        fired_ = true;
        action_(window);
        return;
    }
    const bool expired = static_cast<LONG>(GetTickCount() - deadline_) >= 0;
    if ((fired_ && window == nullptr) || expired) {
        if (expired && window != nullptr) {
            timedOut_ = true;
            PostMessageW(window, WM_CLOSE, 0, 0);
        } else if (expired) {
            timedOut_ = !fired_;
        }
        if (timer_ != 0) {
            KillTimer(nullptr, timer_);
            Timers().erase(timer_);
            timer_ = 0;
        }
    }
}

TemporaryCurrentDirectory::TemporaryCurrentDirectory() {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    previous_ = current;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    std::wstring path;
    for (;;) {
        path = std::wstring(temp) + L"sorvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        if (CreateDirectoryW(path.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    SetCurrentDirectoryW(path.c_str());
    path_ = GbkFromWide(path);
}

TemporaryCurrentDirectory::~TemporaryCurrentDirectory() {
    SetCurrentDirectoryW(previous_.c_str());
    RemoveTree(WideFromGbk(path_));
}

void MainWindowTest::SetUp() {
    InitFormRuntime();
    ResetSharedState();
    directory_ = std::make_unique<TemporaryCurrentDirectory>();
    LoadMainWindow();
    ASSERT_NE(MainWindow(), nullptr);
}

void MainWindowTest::TearDown() {
    if (Form* main = MainWindow()) main->Close();
    ProcessPendingEvents();
    ResetSharedState();
    directory_.reset();
}

void MainWindowTest::ReloadMainWindow() {
    LoadMainWindow();
    ASSERT_NE(MainWindow(), nullptr);
}

Control MainWindowTest::Find(std::string_view formName) const {
    Form* main = MainWindow();
    return main != nullptr ? main->Find(formName) : Control();
}

HWND MainWindowTest::MainHandle() const {
    Form* main = MainWindow();
    return main != nullptr ? main->Handle() : nullptr;
}

}  // namespace sorvane::gui_test
