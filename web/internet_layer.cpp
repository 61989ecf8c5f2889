// The system internet layer: each call goes to the WinInet function of the
// same shape, narrow entry points, texts as bytes.
#include "web/internet_layer.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>

namespace sorvane {
namespace {

std::atomic<unsigned long> networkTimeoutMs{kDefaultNetworkTimeoutMs};

static_assert(kOpenTypeDirect == INTERNET_OPEN_TYPE_DIRECT);
static_assert(kOpenTypeProxy == INTERNET_OPEN_TYPE_PROXY);
static_assert(kServiceHttp == INTERNET_SERVICE_HTTP);
static_assert(kFlagReload == INTERNET_FLAG_RELOAD);
static_assert(kFlagNeedFile == INTERNET_FLAG_NEED_FILE);
static_assert(kFlagNoCookies == INTERNET_FLAG_NO_COOKIES);
static_assert(kFlagNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT);
static_assert(kFlagSecure == INTERNET_FLAG_SECURE);
static_assert(kFlagIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
static_assert(kQueryRawHeadersCrlf == HTTP_QUERY_RAW_HEADERS_CRLF);

class WinInetLayer final : public InternetLayer {
public:
    InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                        const std::string& proxy, const std::string& proxyBypass,
                        std::uint32_t flags) override {
        return InternetOpenA(agent.c_str(), accessType, proxy.c_str(), proxyBypass.c_str(), flags);
    }

    InternetHandle Connect(InternetHandle internet, const std::string& host, int port,
                           const std::string& userName, const std::string& password,
                           std::uint32_t service, std::uint32_t flags,
                           std::uintptr_t context) override {
        // A port that does not fit INTERNET_PORT would wrap to another port.
        if (port < 0 || port > 0xFFFF) return nullptr;
        return InternetConnectA(internet, host.c_str(), static_cast<INTERNET_PORT>(port),
                                userName.c_str(), password.c_str(), service, flags, context);
    }

    InternetHandle OpenRequest(InternetHandle connection, const std::string& verb,
                               const std::string& objectName, const std::string& version,
                               std::uint32_t flags, std::uintptr_t context) override {
        HINTERNET request = HttpOpenRequestA(connection, verb.c_str(), objectName.c_str(),
                                             version.c_str(), nullptr, nullptr, flags, context);
        if (request != nullptr) {
            // Windows gives a request 30 s to send and to receive; Wine has no
            // such limit, and a silent server would then hold the fetch (and
            // the result-list lock of the worker making it) for ever. Setting
            // Windows' default explicitly makes both platforms behave alike.
            DWORD timeout = networkTimeoutMs.load();
            InternetSetOptionA(request, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
            InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
        }
        return request;
    }

    bool SendRequest(InternetHandle request, std::string_view headers,
                     std::string_view optional) override {
        // Copies, so both texts end in a zero and the body pointer is writable
        // as the signature wants.
        const std::string headerText(headers);
        std::string body(optional);
        return HttpSendRequestA(request, headerText.c_str(), static_cast<DWORD>(headerText.size()),
                                body.data(), static_cast<DWORD>(body.size())) != FALSE;
    }

    bool ReadFile(InternetHandle request, char* buffer, std::uint32_t size,
                  std::uint32_t& read) override {
        DWORD count = 0;
        const bool ok = InternetReadFile(request, buffer, size, &count) != FALSE;
        read = ok ? count : 0;
        return ok;
    }

    bool QueryInfo(InternetHandle request, std::uint32_t infoLevel, char* buffer,
                   std::uint32_t& length) override {
        DWORD size = length;
        const bool ok = HttpQueryInfoA(request, infoLevel, buffer, &size, nullptr) != FALSE;
        length = size;
        return ok;
    }

    bool CloseHandle(InternetHandle handle) override { return InternetCloseHandle(handle) != FALSE; }
};

}  // namespace

unsigned long SetNetworkTimeoutMs(unsigned long timeoutMs) {
    return networkTimeoutMs.exchange(timeoutMs);
}

InternetLayer& SystemInternetLayer() {
    static WinInetLayer layer;
    return layer;
}

}  // namespace sorvane
