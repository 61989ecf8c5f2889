// Owns one kernel handle (file, process, thread) and closes it once.
// Both null and INVALID_HANDLE_VALUE count as no handle, since the platform's
// functions use either for failure.
#pragma once

#include <windows.h>

namespace sorvane {

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { Close(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }

    HANDLE Get() const { return handle_; }
    bool IsEmpty() const { return handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE; }

    // Closes the handle held (unless it is `handle` itself) and takes `handle`.
    void Reset(HANDLE handle = nullptr) {
        if (handle_ != handle) Close();
        handle_ = handle;
    }
    // Closes the handle held; false when there was none or closing failed.
    bool Close() {
        const bool closed = !IsEmpty() && CloseHandle(handle_) != 0;
        handle_ = nullptr;
        return closed;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace sorvane
