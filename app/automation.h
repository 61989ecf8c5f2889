// Automation objects reached by name through IDispatch.
//
// Texts cross as GBK and are converted to and from UTF-16 at the call. Every
// failing call leaves its result empty (empty object, empty text, 0) and
// reports nothing, so callers simply carry on with what they got.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

struct IDispatch;
struct tagVARIANT;

namespace sorvane {

// Initialises COM (a single-threaded apartment) on the calling thread for the
// lifetime of the value. A copy makes its own initialisation, so each one is
// undone exactly once; a failed initialisation is never undone.
class ComThreadInit {
public:
    ComThreadInit() noexcept;
    ~ComThreadInit();
    ComThreadInit(const ComThreadInit&) noexcept;
    ComThreadInit& operator=(const ComThreadInit&) noexcept { return *this; }

    bool Initialised() const { return initialised_; }

private:
    bool initialised_ = false;
};

class AutomationObject;

// One argument of a property write or a method call, made where the call is
// written: it only borrows its text or object for the duration of the call.
class AutomationArg {
public:
    AutomationArg(bool value) : kind_(Kind::Boolean), number_(value ? 1 : 0) {}
    AutomationArg(int value) : kind_(Kind::Integer), number_(value) {}
    AutomationArg(double value) : kind_(Kind::Real), real_(value) {}
    AutomationArg(const char* gbk) : kind_(Kind::String), text_(gbk) {}
    AutomationArg(std::string_view gbk) : kind_(Kind::String), text_(gbk) {}
    AutomationArg(const std::string& gbk) : kind_(Kind::String), text_(gbk) {}
    AutomationArg(const AutomationObject& object);
    // A stray pointer would otherwise pass as a boolean.
    AutomationArg(const void*) = delete;

private:
    friend class AutomationObject;
    enum class Kind { Boolean, Integer, Real, String, Object };
    Kind kind_;
    int number_ = 0;
    double real_ = 0;
    std::string_view text_;
    IDispatch* object_ = nullptr;
};

// A counted reference to an automation object, or empty.
class AutomationObject {
public:
    AutomationObject() noexcept = default;
    ~AutomationObject();
    AutomationObject(const AutomationObject& other) noexcept;
    AutomationObject& operator=(const AutomationObject& other) noexcept;
    AutomationObject(AutomationObject&& other) noexcept;
    AutomationObject& operator=(AutomationObject&& other) noexcept;

    // The object registered under a program identifier such as
    // "VBScript.RegExp"; empty when it cannot be created. COM must be
    // initialised on the calling thread.
    static AutomationObject Create(std::string_view progId);

    bool IsEmpty() const { return dispatch_ == nullptr; }
    void Clear() noexcept;

    // False when the object has no such property or refuses the value.
    bool SetProperty(std::string_view name, const AutomationArg& value) const;

    // The property converted to text, a number or an object; empty text, 0 or
    // an empty object on failure.
    std::string PropertyText(std::string_view name) const;
    double PropertyNumber(std::string_view name) const;
    AutomationObject PropertyObject(std::string_view name) const;

    // Calls a method (or reads an indexed property such as a collection's
    // "Item") and gives its result as an object or as text.
    AutomationObject Call(std::string_view name,
                          std::initializer_list<AutomationArg> args = {}) const;
    std::string CallText(std::string_view name,
                         std::initializer_list<AutomationArg> args = {}) const;
    double CallNumber(std::string_view name,
                      std::initializer_list<AutomationArg> args = {}) const;

    // Takes over a reference the caller already holds.
    static AutomationObject Adopt(IDispatch* dispatch) noexcept;
    IDispatch* Get() const { return dispatch_; }

private:
    // Invokes member `name` with `flags`; the result goes to `result` when
    // given. False when the object is empty or the call fails.
    bool Invoke(std::string_view name, unsigned short flags,
                std::initializer_list<AutomationArg> args, tagVARIANT* result) const;

    IDispatch* dispatch_ = nullptr;
};

inline AutomationArg::AutomationArg(const AutomationObject& object)
    : kind_(Kind::Object), object_(object.Get()) {}

}  // namespace sorvane
