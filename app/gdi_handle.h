// Owners of GDI objects and of an object's selection into a DC.
#pragma once

#include <windows.h>

namespace sorvane {

template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Get() const { return handle_; }

private:
    Handle handle_ = nullptr;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace sorvane
