#include "web/http_fetch.h"

#include <algorithm>
#include <cstdint>

#include "web/internet_layer.h"
#include "web/url_helpers.h"

namespace sorvane {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::uint32_t kReadChunkSize = 1024;
constexpr std::uint32_t kHeaderBufferSize = 5000;

// The caller's User-Agent line decides the agent; its value runs to the end of
// the line, or of the block when it is the last line.
Text AgentFor(std::string_view headerBlock) {
    if (TextFind(headerBlock, "User-Agent:", 1, true) < 0) return Text(kDefaultUserAgent);
    Text terminated(headerBlock);
    terminated += kCrLf;
    return TextTrim(TextBetween(terminated, "User-Agent:", kCrLf));
}

std::uint32_t RequestFlags(std::string_view url, bool cookiesGiven, bool noRedirect) {
    std::uint32_t flags = kFlagReload | kFlagNeedFile;
    if (cookiesGiven) flags |= kFlagNoCookies;
    if (noRedirect) flags |= kFlagNoAutoRedirect;
    flags |= TextLower(TextLeft(url, 5)) == "https" ? kFlagSecure : kFlagIgnoreRedirectToHttps;
    return flags;
}

// Appends each default line whose name the block lacks (case-sensitive, as
// the block is searched as plain text), then the jar's Cookie line.
void CompleteHeaderBlock(Text& block, std::string_view url, const Text* cookies) {
    const auto lacks = [&block](std::string_view name) { return TextFind(block, name) < 0; };
    if (lacks("Referer:")) {
        if (!block.empty()) block += kCrLf;
        block += "Referer: ";
        block += url;
    }
    if (lacks("Accept:")) {
        block += kCrLf;
        block += "Accept: */*";
    }
    if (lacks("Accept-Language:")) {
        block += kCrLf;
        block += "Accept-Language: zh-cn";
    }
    if (lacks("Content-Type:")) {
        block += kCrLf;
        block += "Content-Type: application/x-www-form-urlencoded";
    }
    if (cookies != nullptr && !cookies->empty()) {
        block += kCrLf;
        block += "Cookie: ";
        block += *cookies;
    }
}

Bytes ReadBody(InternetLayer& layer, InternetHandle request) {
    Bytes body;
    char chunk[kReadChunkSize];
    for (;;) {
        std::uint32_t read = 0;
        if (!layer.ReadFile(request, chunk, kReadChunkSize, read)) read = 0;
        if (read == 0) break;
        body.append(chunk, std::min(read, kReadChunkSize));
    }
    return body;
}

// A query that fails leaves the buffer as it was: spaces, with no header line.
Text QueryRawHeaders(InternetLayer& layer, InternetHandle request) {
    Bytes buffer(kHeaderBufferSize, ' ');
    std::uint32_t length = kHeaderBufferSize;
    layer.QueryInfo(request, kQueryRawHeadersCrlf, buffer.data(), length);
    return BytesToText(buffer);
}

// The name=value part of a Set-Cookie line: up to its first ";", or the whole
// value when the cookie has no attributes.
Text SetCookieItem(std::string_view line) {
    Text terminated(line);
    terminated += ';';
    return TextTrim(TextBetween(terminated, "Set-Cookie:", ";"));
}

void ParseResponseHeaders(std::string_view rawHeaders, Text& location, Text& receivedCookies) {
    receivedCookies.clear();
    for (const Text& line : TextSplit(rawHeaders, kCrLf)) {
        if (TextFind(line, "Location:") > 0) location = ValueAfterColon(line);
        if (TextFind(line, "Set-Cookie") > 0) {
            receivedCookies += SetCookieItem(line);
            receivedCookies += "; ";
        }
    }
    if (receivedCookies.size() >= 2) receivedCookies.resize(receivedCookies.size() - 2);
}

Bytes Fetch(InternetLayer& layer, std::string_view url, int method, std::string_view postText,
            Text* cookies, Text* receivedCookies, Text* extraHeaders, Text* redirectTarget,
            bool noRedirect, Bytes* postBytes, const std::optional<Text>& proxy,
            Text* rawHeaders) {
    const std::string verb = method == 1 ? "POST" : "GET";
    Text headerBlock = extraHeaders != nullptr ? *extraHeaders : Text();
    const Text agent = AgentFor(headerBlock);

    OwnedInternetHandle internet(
        layer, proxy ? layer.Open(agent, kOpenTypeProxy, "http=" + *proxy, "", 0)
                     : layer.Open(agent, kOpenTypeDirect, "", "", 0));
    if (!internet) return {};
    OwnedInternetHandle connection(
        layer, layer.Connect(internet.get(), HostOfUrl(url), PortOfUrl(url), "", "",
                             kServiceHttp, 0, 0));
    if (!connection) return {};
    OwnedInternetHandle request(
        layer, layer.OpenRequest(connection.get(), verb, PathOfUrl(url), "HTTP/1.1",
                                 RequestFlags(url, cookies != nullptr, noRedirect), 0));
    if (!request) return {};

    CompleteHeaderBlock(headerBlock, url, cookies);
    if (extraHeaders != nullptr) *extraHeaders = headerBlock;

    // The send's result is not looked at: a failed send shows as an empty read.
    if (method != 0) {
        Bytes ownPostBytes;
        Bytes& requestBody = postBytes != nullptr ? *postBytes : ownPostBytes;
        if (requestBody.empty()) requestBody = Bytes(postText);
        layer.SendRequest(request.get(), headerBlock, requestBody);
    } else {
        layer.SendRequest(request.get(), headerBlock, {});
    }
    Bytes body = ReadBody(layer, request.get());
    const Text headers = QueryRawHeaders(layer, request.get());
    request.Close();
    connection.Close();
    internet.Close();

    // Out parameters start empty: a target left from an earlier call must not
    // survive a response without a Location line.
    Text location;
    Text cookiesReceived;
    ParseResponseHeaders(headers, location, cookiesReceived);
    if (cookies != nullptr) MergeCookies(*cookies, cookiesReceived);
    if (location.empty()) location = headers;

    if (receivedCookies != nullptr) *receivedCookies = std::move(cookiesReceived);
    if (redirectTarget != nullptr) *redirectTarget = std::move(location);
    if (rawHeaders != nullptr) *rawHeaders = headers;
    return body;
}

}  // namespace

Bytes HttpFetch(InternetLayer& layer, std::string_view url, int method, std::string_view postText,
                Text* cookies, Text* receivedCookies, Text* extraHeaders, Text* redirectTarget,
                bool noRedirect, Bytes* postBytes, const std::optional<Text>& proxy,
                Text* rawHeaders) noexcept {
    // Callers run on thread starts that must not throw; a body too large to
    // hold in memory ends as a failed fetch, with every handle closed.
    try {
        return Fetch(layer, url, method, postText, cookies, receivedCookies, extraHeaders,
                     redirectTarget, noRedirect, postBytes, proxy, rawHeaders);
    } catch (...) {
        return {};
    }
}

Bytes HttpFetch(std::string_view url, int method, std::string_view postText, Text* cookies,
                Text* receivedCookies, Text* extraHeaders, Text* redirectTarget, bool noRedirect,
                Bytes* postBytes, const std::optional<Text>& proxy, Text* rawHeaders) noexcept {
    return HttpFetch(SystemInternetLayer(), url, method, postText, cookies, receivedCookies,
                     extraHeaders, redirectTarget, noRedirect, postBytes, proxy, rawHeaders);
}

}  // namespace sorvane
