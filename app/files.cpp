#include "app/files.h"

#include <windows.h>

#include "app/codepage.h"
#include "app/kernel_handle.h"

namespace sorvane {
namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool WriteWide(const std::wstring& path, std::string_view bytes, DWORD flags) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | flags, nullptr));
    if (!!file.IsEmpty()) return false;
    const bool written = WriteAll(file.Get(), bytes);
    if (written && (flags & FILE_FLAG_WRITE_THROUGH)) FlushFileBuffers(file.Get());
    return file.Close() && written;
}

}  // namespace

std::string ReadWholeFile(std::string_view path) {
    KernelHandle file(CreateFileW(WideFromGbk(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!!file.IsEmpty()) return {};
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) || read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes) {
    if (path.empty()) return false;
    return WriteWide(WideFromGbk(path), bytes, 0);
}

bool ReplaceFileAtomically(std::string_view path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::wstring target = WideFromGbk(path);
    const std::wstring temporary = target + L".saving";
    if (!WriteWide(temporary, bytes, FILE_FLAG_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

std::string ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.resize(slash);
    return GbkFromWide(path);
}

}  // namespace sorvane
