// The internet calls a web request makes, as an interface: the system one
// goes straight to WinInet's narrow entry points, and tests put a recording
// one in its place so the request logic runs without a network.
//
// Texts pass through as bytes. Handles are WinInet handles (HINTERNET); a
// null handle means the call failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

using InternetHandle = void*;

// WinInet's values, checked against its header where the system layer is built.
inline constexpr std::uint32_t kOpenTypeDirect = 1;
inline constexpr std::uint32_t kOpenTypeProxy = 3;
inline constexpr std::uint32_t kServiceHttp = 3;
inline constexpr std::uint32_t kFlagReload = 0x80000000;
inline constexpr std::uint32_t kFlagNeedFile = 0x10;
inline constexpr std::uint32_t kFlagNoCookies = 0x80000;
inline constexpr std::uint32_t kFlagNoAutoRedirect = 0x200000;
inline constexpr std::uint32_t kFlagSecure = 0x800000;
inline constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x4000;
inline constexpr std::uint32_t kQueryRawHeadersCrlf = 22;

class InternetLayer {
public:
    virtual ~InternetLayer() = default;

    // InternetOpenA.
    virtual InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                                const std::string& proxy, const std::string& proxyBypass,
                                std::uint32_t flags) = 0;
    // InternetConnectA. A port outside 0..65535 cannot be connected to.
    virtual InternetHandle Connect(InternetHandle internet, const std::string& host, int port,
                                   const std::string& userName, const std::string& password,
                                   std::uint32_t service, std::uint32_t flags,
                                   std::uintptr_t context) = 0;
    // HttpOpenRequestA without referrer and accept types: those travel in the
    // header block.
    virtual InternetHandle OpenRequest(InternetHandle connection, const std::string& verb,
                                       const std::string& objectName, const std::string& version,
                                       std::uint32_t flags, std::uintptr_t context) = 0;
    // HttpSendRequestA with the header block and the optional body.
    virtual bool SendRequest(InternetHandle request, std::string_view headers,
                             std::string_view optional) = 0;
    // InternetReadFile: up to `size` bytes into `buffer`; `read` gets the count.
    virtual bool ReadFile(InternetHandle request, char* buffer, std::uint32_t size,
                          std::uint32_t& read) = 0;
    // HttpQueryInfoA without an index. `length` is the buffer size going in
    // and the text length (or the size needed) coming out.
    virtual bool QueryInfo(InternetHandle request, std::uint32_t infoLevel, char* buffer,
                           std::uint32_t& length) = 0;
    // InternetCloseHandle.
    virtual bool CloseHandle(InternetHandle handle) = 0;
};

// How long a request of the system layer may wait to send or to receive:
// Windows' own default, set explicitly since Wine has none.
inline constexpr unsigned long kDefaultNetworkTimeoutMs = 30000;
// Changes that limit for later requests (tests); gives the previous one.
unsigned long SetNetworkTimeoutMs(unsigned long timeoutMs);

// The layer over the system's WinInet. It holds no state, so every thread may
// use it at once.
InternetLayer& SystemInternetLayer();

// Owns one handle of a layer and closes it once.
class OwnedInternetHandle {
public:
    OwnedInternetHandle(InternetLayer& layer, InternetHandle handle) : layer_(layer), handle_(handle) {}
    ~OwnedInternetHandle() { Close(); }
    OwnedInternetHandle(const OwnedInternetHandle&) = delete;
    OwnedInternetHandle& operator=(const OwnedInternetHandle&) = delete;

    InternetHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Close() {
        if (handle_ != nullptr) layer_.CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    InternetLayer& layer_;
    InternetHandle handle_;
};

}  // namespace sorvane
