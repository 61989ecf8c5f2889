// The program as a process: closing its main window ends it promptly, even
// while a search worker waits on a server that never answers.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/files.h"
#include "support/gui.h"

namespace sorvane {
namespace {

// Accepts connections on 127.0.0.1 and never answers them.
class SilentServer {
public:
    SilentServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener_, 16) == 0 &&
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Accept(); });
    }
    ~SilentServer() {
        stop_ = true;
        thread_.join();
        for (SOCKET s : accepted_) closesocket(s);
        closesocket(listener_);
        WSACleanup();
    }
    int Port() const { return port_; }
    int Connections() const { return connections_; }

private:
    void Accept() {
        while (!stop_) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait = {0, 20000};
            if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
            const SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) continue;
            accepted_.push_back(s);
            ++connections_;
        }
    }
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<bool> stop_{false};
    std::vector<SOCKET> accepted_;
    std::thread thread_;
};

HWND MainWindowOf(DWORD process) {
    struct Search {
        DWORD process;
        HWND found;
    } search{process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) noexcept -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && IsWindowVisible(window) && gui_test::WindowText(window) == "Sorvane") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(Program, ClosingTheMainWindowEndsTheProcessPromptlyWhileAWorkerWaits) {
    const std::string program = ProgramDirectory() + "\\Sorvane.exe";
    if (GetFileAttributesW(WideFromGbk(program).c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the program is built beside the tests: " << program;

    const SilentServer server;
    ASSERT_NE(server.Port(), 0);
    const gui_test::TemporaryCurrentDirectory directory;
    const std::wstring engine = L"127.0.0.1:" + std::to_wstring(server.Port());
    SetEnvironmentVariableW(L"SORVANE_ENGINE_HOST", engine.c_str());
    std::wstring line = L"\"" + WideFromGbk(program) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &started);
    SetEnvironmentVariableW(L"SORVANE_ENGINE_HOST", nullptr);
    ASSERT_TRUE(ok);
    CloseHandle(started.hThread);

    HWND main = nullptr;
    EXPECT_TRUE(gui_test::PumpUntil([&] { return (main = MainWindowOf(started.dwProcessId)) != nullptr; }, 15000));
    if (main != nullptr) {
        // Search one service; its worker then waits for the first page.
        SendMessageW(gui_test::FindChild(main, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
        PostMessageW(gui_test::FindChild(main, L"Button", "百度网盘"), BM_CLICK, 0, 0);
        PostMessageW(gui_test::FindChild(main, L"Button", "点我搜索"), BM_CLICK, 0, 0);
        EXPECT_TRUE(gui_test::PumpUntil([&] { return server.Connections() > 0; }, 10000));
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    const ULONGLONG closedAt = GetTickCount64();
    const DWORD waited = WaitForSingleObject(started.hProcess, 5000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 99);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(started.hProcess, &exitCode);
    CloseHandle(started.hProcess);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_LT(GetTickCount64() - closedAt, 3000u);
}

}  // namespace
}  // namespace sorvane
