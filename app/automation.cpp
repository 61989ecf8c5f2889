#include "app/automation.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>
#include <vector>

#include "app/codepage.h"

namespace sorvane {
namespace {

// Owns one VARIANT and clears it when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Get() { return &value_; }
    const VARIANT& Ref() const { return value_; }

private:
    VARIANT value_;
};

// Owns the BSTRs made for the arguments of one call.
class BstrList {
public:
    BstrList() = default;
    ~BstrList() {
        for (BSTR item : items_) SysFreeString(item);
    }
    BstrList(const BstrList&) = delete;
    BstrList& operator=(const BstrList&) = delete;

    void Reserve(std::size_t n) { items_.reserve(n); }
    BSTR Add(std::string_view gbk) {
        const std::wstring wide = WideFromGbk(gbk);
        items_.push_back(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
        return items_.back();
    }

private:
    std::vector<BSTR> items_;
};

// Frees the strings an automation exception leaves behind.
class ExceptionInfo {
public:
    ExceptionInfo() noexcept { ZeroMemory(&info_, sizeof info_); }
    ~ExceptionInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;

    EXCEPINFO* Get() { return &info_; }

private:
    EXCEPINFO info_;
};

bool MemberId(IDispatch* dispatch, std::string_view name, DISPID* id) {
    std::wstring wide = WideFromGbk(name);
    LPOLESTR names[] = {wide.data()};
    return SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

// Text conversions use a fixed locale so numbers never depend on the user's
// regional settings.
constexpr LCID kConversionLocale = LOCALE_INVARIANT;

std::string TextFromVariant(const VARIANT& value) {
    Variant text;
    if (FAILED(VariantChangeTypeEx(text.Get(), const_cast<VARIANT*>(&value),
                                   kConversionLocale, VARIANT_ALPHABOOL, VT_BSTR))) {
        return {};
    }
    const BSTR bstr = text.Ref().bstrVal;
    if (bstr == nullptr) return {};
    return GbkFromWide(std::wstring_view(bstr, SysStringLen(bstr)));
}

double NumberFromVariant(const VARIANT& value) {
    Variant number;
    if (FAILED(VariantChangeTypeEx(number.Get(), const_cast<VARIANT*>(&value),
                                   kConversionLocale, 0, VT_R8))) {
        return 0;
    }
    return number.Ref().dblVal;
}

IDispatch* DispatchFromVariant(const VARIANT& value) {
    IUnknown* unknown = nullptr;
    if (V_VT(&value) == VT_DISPATCH) {
        unknown = V_DISPATCH(&value);
    } else if (V_VT(&value) == VT_UNKNOWN) {
        unknown = V_UNKNOWN(&value);
    } else if (V_VT(&value) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&value) != nullptr) {
        unknown = *V_DISPATCHREF(&value);
    }
    if (unknown == nullptr) return nullptr;
    IDispatch* dispatch = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return nullptr;
    }
    return dispatch;
}

}  // namespace

ComThreadInit::ComThreadInit() noexcept
    : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComThreadInit::ComThreadInit(const ComThreadInit&) noexcept : ComThreadInit() {}

ComThreadInit::~ComThreadInit() {
    if (initialised_) CoUninitialize();
}

AutomationObject::~AutomationObject() { Clear(); }

AutomationObject::AutomationObject(const AutomationObject& other) noexcept
    : dispatch_(other.dispatch_) {
    if (dispatch_ != nullptr) dispatch_->AddRef();
}

AutomationObject& AutomationObject::operator=(const AutomationObject& other) noexcept {
    IDispatch* const kept = other.dispatch_;  // `other` may be this object
    if (kept != nullptr) kept->AddRef();
    Clear();
    dispatch_ = kept;
    return *this;
}

AutomationObject::AutomationObject(AutomationObject&& other) noexcept
    : dispatch_(std::exchange(other.dispatch_, nullptr)) {}

AutomationObject& AutomationObject::operator=(AutomationObject&& other) noexcept {
    if (this != &other) {
        Clear();
        dispatch_ = std::exchange(other.dispatch_, nullptr);
    }
    return *this;
}

AutomationObject AutomationObject::Adopt(IDispatch* dispatch) noexcept {
    AutomationObject object;
    object.dispatch_ = dispatch;
    return object;
}

void AutomationObject::Clear() noexcept {
    if (dispatch_ != nullptr) std::exchange(dispatch_, nullptr)->Release();
}

AutomationObject AutomationObject::Create(std::string_view progId) {
    const std::wstring wide = WideFromGbk(progId);
    CLSID clsid;
    if (wide.empty() || FAILED(CLSIDFromProgID(wide.c_str(), &clsid))) return {};
    IDispatch* dispatch = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&dispatch)))) {
        return {};
    }
    return Adopt(dispatch);
}

bool AutomationObject::Invoke(std::string_view name, unsigned short flags,
                              std::initializer_list<AutomationArg> args,
                              VARIANT* result) const {
    if (dispatch_ == nullptr) return false;
    DISPID id;
    if (!MemberId(dispatch_, name, &id)) return false;

    // The interface takes its arguments last to first. Texts need BSTRs that
    // live until the call returns; objects are only borrowed.
    std::vector<VARIANT> values(args.size());
    BstrList texts;
    texts.Reserve(args.size());
    std::size_t slot = args.size();
    for (const AutomationArg& arg : args) {
        VARIANT& v = values[--slot];
        VariantInit(&v);
        switch (arg.kind_) {
        case AutomationArg::Kind::Boolean:
            V_VT(&v) = VT_BOOL;
            V_BOOL(&v) = arg.number_ != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case AutomationArg::Kind::Integer:
            V_VT(&v) = VT_I4;
            V_I4(&v) = arg.number_;
            break;
        case AutomationArg::Kind::Real:
            V_VT(&v) = VT_R8;
            V_R8(&v) = arg.real_;
            break;
        case AutomationArg::Kind::String:
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = texts.Add(arg.text_);
            break;
        case AutomationArg::Kind::Object:
            V_VT(&v) = VT_DISPATCH;
            V_DISPATCH(&v) = arg.object_;
            break;
        }
    }

    DISPPARAMS params{};
    params.rgvarg = values.empty() ? nullptr : values.data();
    params.cArgs = static_cast<UINT>(values.size());
    DISPID namedPut = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }
    ExceptionInfo exception;
    UINT badArgument = 0;
    const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                         result, exception.Get(), &badArgument);
    if (FAILED(hr) && result != nullptr) VariantClear(result);
    return SUCCEEDED(hr);
}

bool AutomationObject::SetProperty(std::string_view name, const AutomationArg& value) const {
    return Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

std::string AutomationObject::PropertyText(std::string_view name) const {
    Variant result;
    return Invoke(name, DISPATCH_PROPERTYGET, {}, result.Get()) ? TextFromVariant(result.Ref())
                                                                : std::string();
}

double AutomationObject::PropertyNumber(std::string_view name) const {
    Variant result;
    return Invoke(name, DISPATCH_PROPERTYGET, {}, result.Get()) ? NumberFromVariant(result.Ref())
                                                                : 0;
}

AutomationObject AutomationObject::PropertyObject(std::string_view name) const {
    Variant result;
    if (!Invoke(name, DISPATCH_PROPERTYGET, {}, result.Get())) return {};
    return Adopt(DispatchFromVariant(result.Ref()));
}

// Methods and indexed properties ("Item") are both reached with a call, so the
// call asks for either.
constexpr unsigned short kCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

AutomationObject AutomationObject::Call(std::string_view name,
                                        std::initializer_list<AutomationArg> args) const {
    Variant result;
    if (!Invoke(name, kCallFlags, args, result.Get())) return {};
    return Adopt(DispatchFromVariant(result.Ref()));
}

std::string AutomationObject::CallText(std::string_view name,
                                       std::initializer_list<AutomationArg> args) const {
    Variant result;
    return Invoke(name, kCallFlags, args, result.Get()) ? TextFromVariant(result.Ref())
                                                        : std::string();
}

double AutomationObject::CallNumber(std::string_view name,
                                    std::initializer_list<AutomationArg> args) const {
    Variant result;
    return Invoke(name, kCallFlags, args, result.Get()) ? NumberFromVariant(result.Ref()) : 0;
}

}  // namespace sorvane
