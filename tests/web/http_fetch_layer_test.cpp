// The request a fetch builds and the response it parses, seen through a
// recording internet layer: no network involved.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "web/http_fetch.h"
#include "web/internet_layer.h"
#include "tests/web/recording_internet_layer.h"

namespace sorvane {
namespace {

using testing::RecordingInternetLayer;
using Calls = std::vector<std::string>;

constexpr std::uint32_t kBaseFlags = kFlagReload | kFlagNeedFile;

std::string DefaultBlock(const std::string& url) {
    return "Referer: " + url +
           "\r\nAccept: */*\r\nAccept-Language: zh-cn"
           "\r\nContent-Type: application/x-www-form-urlencoded";
}

TEST(HttpFetchRequest, AddressGivesHostPortPathAndFlags) {
    struct Case {
        const char* url;
        bool cookiesGiven;
        bool noRedirect;
        const char* host;
        int port;
        const char* path;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {"www.Example.com/s?wd=X", false, false, "www.example.com", 80, "/s?wd=X",
         kBaseFlags | kFlagIgnoreRedirectToHttps},
        {"https://example.com/a", false, false, "example.com", 443, "/a", kBaseFlags | kFlagSecure},
        {"HTTPS://Example.COM:8443", false, false, "example.com", 8443, "/",
         kBaseFlags | kFlagSecure},
        {"http://127.0.0.1:8080/p?q=1#f", false, false, "127.0.0.1", 8080, "/p?q=1#f",
         kBaseFlags | kFlagIgnoreRedirectToHttps},
        {"http://h/", false, true, "h", 80, "/",
         kBaseFlags | kFlagIgnoreRedirectToHttps | kFlagNoAutoRedirect},
        {"https://h/", true, true, "h", 443, "/",
         kBaseFlags | kFlagSecure | kFlagNoAutoRedirect | kFlagNoCookies},
        {"http://h/", true, false, "h", 80, "/",
         kBaseFlags | kFlagIgnoreRedirectToHttps | kFlagNoCookies},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        RecordingInternetLayer layer;
        Text cookies;
        HttpFetch(layer, c.url, 0, {}, c.cookiesGiven ? &cookies : nullptr, nullptr, nullptr,
                  nullptr, c.noRedirect);
        EXPECT_EQ(layer.connect.host, c.host);
        EXPECT_EQ(layer.connect.port, c.port);
        EXPECT_EQ(layer.request.objectName, c.path);
        EXPECT_EQ(layer.request.flags, c.flags);
    }
}

TEST(HttpFetchRequest, PlainGetUsesDefaultAgentAndBlockAndClosesInOrder) {
    RecordingInternetLayer layer;
    layer.bodyChunks = {"page"};
    layer.responseHeaders = "HTTP/1.1 200 OK\r\n\r\n";
    const std::string url = "http://example.com/s?wd=1";

    EXPECT_EQ(HttpFetch(layer, url), "page");

    EXPECT_EQ(layer.calls, (Calls{"Open", "Connect", "OpenRequest", "Send", "Read", "Read", "Query",
                                  "Close request", "Close connection", "Close internet"}));
    EXPECT_EQ(layer.open.agent, kDefaultUserAgent);
    EXPECT_EQ(layer.open.accessType, kOpenTypeDirect);
    EXPECT_EQ(layer.open.proxy, "");
    EXPECT_EQ(layer.open.proxyBypass, "");
    EXPECT_EQ(layer.open.flags, 0u);
    EXPECT_EQ(layer.connect.userName, "");
    EXPECT_EQ(layer.connect.password, "");
    EXPECT_EQ(layer.connect.service, kServiceHttp);
    EXPECT_EQ(layer.connect.flags, 0u);
    EXPECT_EQ(layer.request.verb, "GET");
    EXPECT_EQ(layer.request.version, "HTTP/1.1");
    EXPECT_EQ(layer.send.headers, DefaultBlock(url));
    EXPECT_EQ(layer.send.optional, "");
}

TEST(HttpFetchRequest, GivenProxyEvenEmptyGoesThroughProxyAccess) {
    const std::optional<Text> proxies[] = {Text("10.0.0.1:3128"), Text()};
    for (const std::optional<Text>& proxy : proxies) {
        RecordingInternetLayer layer;
        HttpFetch(layer, "http://h/", 0, {}, nullptr, nullptr, nullptr, nullptr, false, nullptr,
                  proxy);
        EXPECT_EQ(layer.open.accessType, kOpenTypeProxy);
        EXPECT_EQ(layer.open.proxy, "http=" + *proxy);
        EXPECT_EQ(layer.open.proxyBypass, "");
    }
}

TEST(HttpFetchRequest, CallerBlockDecidesAgentAndGetsDefaultLinesAppended) {
    const std::string url = "http://h/p";
    const std::string defaultTail =
        "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
    struct Case {
        const char* name;
        std::string block;
        std::optional<Text> cookies;
        std::string agent;
        std::string sent;
    };
    const Case cases[] = {
        {"agent line alone", "User-Agent: X", std::nullopt, "X",
         "User-Agent: X\r\nReferer: " + url + defaultTail},
        {"agent line then more", "User-Agent:  X Y \r\nAccept: text/html", std::nullopt, "X Y",
         "User-Agent:  X Y \r\nAccept: text/html\r\nReferer: " + url +
             "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        {"agent line last, other case", "Accept: a\r\nuser-agent: X", std::nullopt, "X",
         "Accept: a\r\nuser-agent: X\r\nReferer: " + url +
             "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        {"lower-case referer is not ours", "referer: a", std::nullopt, std::string(kDefaultUserAgent),
         "referer: a\r\nReferer: " + url + defaultTail},
        {"caller lines kept", "Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain",
         std::nullopt, std::string(kDefaultUserAgent),
         "Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: */*"},
        {"jar line added beside caller's", "Cookie: z=9", Text("a=1; b=2"),
         std::string(kDefaultUserAgent),
         "Cookie: z=9\r\nReferer: " + url + defaultTail + "\r\nCookie: a=1; b=2"},
        {"empty jar sends no line", "", Text(), std::string(kDefaultUserAgent), DefaultBlock(url)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInternetLayer layer;
        Text block = c.block;
        std::optional<Text> cookies = c.cookies;
        HttpFetch(layer, url, 0, {}, cookies ? &*cookies : nullptr, nullptr, &block);
        EXPECT_EQ(layer.open.agent, c.agent);
        EXPECT_EQ(layer.send.headers, c.sent);
        EXPECT_EQ(block, c.sent);
    }
}

TEST(HttpFetchRequest, BodyGoesWithEveryMethodButZero) {
    struct Case {
        int method;
        const char* postText;
        Bytes postBytes;
        const char* verb;
        Bytes sentBody;
    };
    const Case cases[] = {
        {1, "a=1&b=2", "", "POST", "a=1&b=2"},
        {1, "ignored", Bytes("raw\0bytes", 9), "POST", Bytes("raw\0bytes", 9)},
        {2, "q=1", "", "GET", "q=1"},
        {0, "q=1", "", "GET", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        RecordingInternetLayer layer;
        Bytes postBytes = c.postBytes;
        HttpFetch(layer, "http://h/", c.method, c.postText, nullptr, nullptr, nullptr, nullptr,
                  false, &postBytes);
        EXPECT_EQ(layer.request.verb, c.verb);
        EXPECT_EQ(layer.send.optional, c.sentBody);
        EXPECT_EQ(postBytes, c.sentBody);
    }
    // Without a postBytes argument the text still goes out.
    RecordingInternetLayer layer;
    HttpFetch(layer, "http://h/", 1, "only=text");
    EXPECT_EQ(layer.send.optional, "only=text");
}

TEST(HttpFetchResponse, BodyIsReadIn1024ByteChunksUntilNothingComes) {
    const Bytes withZeros("\0a\0\0b", 5);
    const Bytes full(1024, 'z');
    for (const bool failLast : {false, true}) {
        RecordingInternetLayer layer;
        layer.bodyChunks = {withZeros, full, "tail"};
        layer.failReadAfterChunks = failLast;
        EXPECT_EQ(HttpFetch(layer, "http://h/"), withZeros + full + "tail");
        EXPECT_EQ(layer.readSizes, std::vector<std::uint32_t>(4, 1024));
    }
}

TEST(HttpFetchResponse, HeaderQueryGetsFiveThousandSpacesAndKeepsThemWhenItFails) {
    const std::string spaces(5000, ' ');
    for (const bool tooLarge : {false, true}) {
        RecordingInternetLayer layer;
        layer.failQuery = !tooLarge;
        layer.responseHeaders = std::string(tooLarge ? 5000 : 0, 'h');
        layer.bodyChunks = {"body"};
        Text raw, target, received = "old";
        EXPECT_EQ(HttpFetch(layer, "http://h/", 0, {}, nullptr, &received, nullptr, &target, false,
                            nullptr, std::nullopt, &raw),
                  "body");
        EXPECT_EQ(layer.query.infoLevel, kQueryRawHeadersCrlf);
        EXPECT_EQ(layer.query.length, 5000u);
        EXPECT_EQ(layer.query.bufferOnEntry, spaces);
        EXPECT_EQ(raw, spaces);
        EXPECT_EQ(target, spaces);
        EXPECT_EQ(received, "");
    }
    // The largest block that fits with its terminating zero comes back whole.
    RecordingInternetLayer layer;
    layer.responseHeaders = std::string(4999, 'h');
    Text raw;
    HttpFetch(layer, "http://h/", 0, {}, nullptr, nullptr, nullptr, nullptr, false, nullptr,
              std::nullopt, &raw);
    EXPECT_EQ(raw, std::string(4999, 'h'));
}

TEST(HttpFetchResponse, LocationAndSetCookieLinesAreParsed) {
    struct Case {
        const char* name;
        std::string raw;
        std::string target;  // empty: the raw block itself
        std::string received;
    };
    const Case cases[] = {
        {"redirect", "HTTP/1.1 302 Found\r\nLocation:  http://a:81/b?c=D \r\n\r\n", "http://a:81/b?c=D",
         ""},
        {"later location wins", "HTTP/1.1 302 Found\r\nLocation: /1\r\nLocation: /2\r\n\r\n", "/2", ""},
        {"two cookies",
         "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; HttpOnly\r\n\r\n", "",
         "a=1; b=2"},
        {"cookie without attributes", "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc \r\nSet-Cookie: b=2;\r\n\r\n",
         "", "sid=abc; b=2"},
        {"no lines of interest", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInternetLayer layer;
        layer.responseHeaders = c.raw;
        // Values left from an earlier call must not survive.
        Text raw, target = "stale", received = "stale";
        HttpFetch(layer, "http://h/", 0, {}, nullptr, &received, nullptr, &target, true, nullptr,
                  std::nullopt, &raw);
        EXPECT_EQ(raw, c.raw);
        EXPECT_EQ(target, c.target.empty() ? c.raw : c.target);
        EXPECT_EQ(received, c.received);
    }
}

TEST(HttpFetchResponse, GivenJarIsMergedWithReceivedCookies) {
    RecordingInternetLayer layer;
    layer.responseHeaders =
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: k=deleted; path=/\r\n\r\n";
    Text cookies = "a=0; c=3";
    Text received;
    HttpFetch(layer, "http://h/", 0, {}, &cookies, &received);
    EXPECT_EQ(layer.send.headers, DefaultBlock("http://h/") + "\r\nCookie: a=0; c=3");
    EXPECT_EQ(cookies, "a=1; c=3");
    EXPECT_EQ(received, "a=1;k=deleted");

    // An empty jar given still collects what the server sets.
    RecordingInternetLayer again;
    again.responseHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: x=1; path=/\r\n\r\n";
    Text emptyJar;
    HttpFetch(again, "http://h/", 0, {}, &emptyJar);
    EXPECT_EQ(emptyJar, "x=1");
}

TEST(HttpFetchFailure, HandleThatCannotOpenClosesTheOthersAndWritesNothing) {
    struct Case {
        const char* name;
        bool failOpen, failConnect, failRequest;
        Calls calls;
    };
    const Case cases[] = {
        {"internet", true, false, false, {"Open"}},
        {"connection", false, true, false, {"Open", "Connect", "Close internet"}},
        {"request",
         false,
         false,
         true,
         {"Open", "Connect", "OpenRequest", "Close connection", "Close internet"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInternetLayer layer;
        layer.failOpen = c.failOpen;
        layer.failConnect = c.failConnect;
        layer.failRequest = c.failRequest;
        layer.bodyChunks = {"never read"};
        Text cookies = "a=1", received = "r", headers = "X-A: 1", target = "t", raw = "w";
        Bytes postBytes;
        EXPECT_EQ(HttpFetch(layer, "http://h/", 1, "text", &cookies, &received, &headers, &target,
                            false, &postBytes, std::nullopt, &raw),
                  "");
        EXPECT_EQ(layer.calls, c.calls);
        EXPECT_EQ(cookies, "a=1");
        EXPECT_EQ(received, "r");
        EXPECT_EQ(headers, "X-A: 1");
        EXPECT_EQ(target, "t");
        EXPECT_EQ(raw, "w");
        EXPECT_EQ(postBytes, "");
    }
}

TEST(HttpFetchFailure, BodyTooLargeForMemoryGivesEmptyBytesWithHandlesClosed) {
    RecordingInternetLayer layer;
    layer.throwOnRead = true;
    EXPECT_EQ(HttpFetch(layer, "http://h/"), "");
    EXPECT_EQ(layer.calls, (Calls{"Open", "Connect", "OpenRequest", "Send", "Read", "Close request",
                                  "Close connection", "Close internet"}));
}

}  // namespace
}  // namespace sorvane
