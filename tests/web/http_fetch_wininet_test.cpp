// Fetches through the system's WinInet against loopback servers: what goes
// over the wire, what comes back, and servers that misbehave.
#include <future>  // also std::chrono: <chrono> itself fails with GBK literals
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/loopback_server.h"
#include "web/http_fetch.h"
#include "web/internet_layer.h"

namespace sorvane {
namespace {

using namespace std::chrono_literals;
using testing::HttpResponse;
using testing::LoopbackOptions;
using testing::LoopbackRequest;
using testing::LoopbackServer;
using Clock = std::chrono::steady_clock;

struct FetchArgs {
    FetchArgs(std::string address) : url(std::move(address)) {}
    std::string url;
    int method = 0;
    std::string postText;
    std::optional<Text> cookies;
    Text extraHeaders;
    bool noRedirect = false;
};

struct Fetched {
    Bytes body;
    Text cookies, receivedCookies, redirectTarget, rawHeaders;
    Clock::duration took{};
};

// Fetches on a thread of its own that owns every argument, so a fetch that
// overruns its test's deadline touches nothing of the test.
std::future<Fetched> StartFetch(FetchArgs args) {
    auto promise = std::make_shared<std::promise<Fetched>>();
    std::future<Fetched> future = promise->get_future();
    std::thread([promise, args = std::move(args)]() mutable {
        Fetched out;
        if (args.cookies) out.cookies = *args.cookies;
        const auto start = Clock::now();
        out.body = HttpFetch(args.url, args.method, args.postText,
                             args.cookies ? &out.cookies : nullptr, &out.receivedCookies,
                             &args.extraHeaders, &out.redirectTarget, args.noRedirect, nullptr,
                             std::nullopt, &out.rawHeaders);
        out.took = Clock::now() - start;
        promise->set_value(std::move(out));
    }).detach();
    return future;
}

std::optional<Fetched> FetchWithin(FetchArgs args, Clock::duration deadline) {
    std::future<Fetched> future = StartFetch(std::move(args));
    if (future.wait_for(deadline) != std::future_status::ready) return std::nullopt;
    return future.get();
}

// Bytes of every value, zeros included, that differ from position to position.
Bytes PatternedBytes(std::size_t size, unsigned seed) {
    Bytes bytes(size, '\0');
    unsigned state = seed;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(i % 5 == 0 ? 0 : state >> 24);
    }
    return bytes;
}

TEST(HttpFetchWire, RequestLineAndHeadersArriveAsBuilt) {
    LoopbackServer server([](const LoopbackRequest&) { return HttpResponse("page body"); });
    const std::string url = server.Address("/s?wd=%E4%BD%A0&pn=50");

    const auto get = FetchWithin({url}, 20s);
    ASSERT_TRUE(get.has_value());
    EXPECT_EQ(get->body, "page body");

    FetchArgs postArgs(url);
    postArgs.method = 1;
    postArgs.postText = "a=1&b=2";
    postArgs.cookies = Text("k=v; m=2");
    postArgs.extraHeaders = "User-Agent: Tester/1.0\r\nX-Extra: yes";
    const auto post = FetchWithin(postArgs, 20s);
    ASSERT_TRUE(post.has_value());

    const std::vector<LoopbackRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const LoopbackRequest& plain = requests[0];
    EXPECT_EQ(plain.method, "GET");
    EXPECT_EQ(plain.target, "/s?wd=%E4%BD%A0&pn=50");
    EXPECT_EQ(plain.version, "HTTP/1.1");
    EXPECT_EQ(plain.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(plain.Header("User-Agent"), kDefaultUserAgent);
    EXPECT_EQ(plain.Header("Referer"), url);
    EXPECT_EQ(plain.Header("Accept"), "*/*");
    EXPECT_EQ(plain.Header("Accept-Language"), "zh-cn");
    EXPECT_EQ(plain.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(plain.HeaderCount("Cookie"), 0);
    EXPECT_EQ(plain.body, "");

    const LoopbackRequest& form = requests[1];
    EXPECT_EQ(form.method, "POST");
    EXPECT_EQ(form.body, "a=1&b=2");
    EXPECT_EQ(form.Header("Content-Length"), "7");
    EXPECT_EQ(form.Header("Cookie"), "k=v; m=2");
    EXPECT_EQ(form.Header("User-Agent"), "Tester/1.0");
    EXPECT_EQ(form.HeaderCount("User-Agent"), 1);
    EXPECT_EQ(form.Header("X-Extra"), "yes");
}

TEST(HttpFetchWire, BodyOfManyChunksArrivesByteExact) {
    const Bytes body = PatternedBytes(300 * 1024 + 17, 7);
    LoopbackServer server([&body](const LoopbackRequest&) { return HttpResponse(body); });
    const auto fetched = FetchWithin({server.Address("/big")}, 30s);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->body.size(), body.size());
    EXPECT_TRUE(fetched->body == body);
}

TEST(HttpFetchWire, CookiesAndRedirectTargetComeFromTheResponseHeaders) {
    // The cookies are scoped to /jar so WinInet's own store, which the plain
    // fetches use, sends them nowhere else.
    LoopbackServer server([](const LoopbackRequest& request) {
        if (request.target == "/jar/set")
            return HttpResponse("moved", "302 Found",
                                "Location:  http://127.0.0.1:1/elsewhere?x=Y \r\n"
                                "Set-Cookie: a=1; path=/jar\r\n"
                                "Set-Cookie: b=2; path=/jar; HttpOnly\r\n");
        return HttpResponse("plain");
    });

    FetchArgs redirected{server.Address("/jar/set")};
    redirected.noRedirect = true;
    const auto first = FetchWithin(redirected, 20s);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->body, "moved");
    EXPECT_EQ(first->redirectTarget, "http://127.0.0.1:1/elsewhere?x=Y");
    EXPECT_EQ(first->receivedCookies, "a=1; b=2");

    // Without a jar WinInet keeps and sends the cookies; with one it does not.
    const auto withStore = FetchWithin({server.Address("/jar/next")}, 20s);
    FetchArgs ownJar{server.Address("/jar/next")};
    ownJar.cookies = Text("c=3");
    const auto withJar = FetchWithin(ownJar, 20s);
    ASSERT_TRUE(withStore.has_value());
    ASSERT_TRUE(withJar.has_value());
    EXPECT_EQ(withStore->redirectTarget, withStore->rawHeaders);
    const std::vector<LoopbackRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[1].Header("Cookie").find("a=1"), std::string::npos);
    EXPECT_EQ(requests[2].Header("Cookie"), "c=3");
}

TEST(HttpFetchWire, RedirectIsFollowedUnlessTurnedOff) {
    LoopbackServer server([](const LoopbackRequest& request) {
        if (request.target == "/old")
            return HttpResponse("old page", "302 Found", "Location: /new\r\n");
        return HttpResponse("new page");
    });
    const auto followed = FetchWithin({server.Address("/old")}, 20s);
    ASSERT_TRUE(followed.has_value());
    EXPECT_EQ(followed->body, "new page");

    FetchArgs stay{server.Address("/old")};
    stay.noRedirect = true;
    const auto stayed = FetchWithin(stay, 20s);
    ASSERT_TRUE(stayed.has_value());
    EXPECT_EQ(stayed->body, "old page");
    EXPECT_EQ(stayed->redirectTarget, "/new");
}

TEST(HttpFetchWire, UnreachableServerGivesEmptyBytesWithoutHanging) {
    int closedPort = 0;
    {
        LoopbackServer gone([](const LoopbackRequest&) { return std::string(); });
        closedPort = gone.Port();
    }
    // A label over 63 bytes is refused by the resolver itself, so the lookup
    // fails without any query leaving the machine.
    const std::string unresolvable = "http://" + std::string(64, 'x') + ".invalid/";
    LoopbackServer server([](const LoopbackRequest&) { return HttpResponse("reached"); });
    // A port that only fits after wrapping round to the server's own.
    const std::string wrapped =
        "http://127.0.0.1:" + std::to_string(server.Port() + 65536) + "/";

    for (const std::string& url :
         {"http://127.0.0.1:" + std::to_string(closedPort) + "/", unresolvable, wrapped}) {
        SCOPED_TRACE(url);
        const auto fetched = FetchWithin({url}, 30s);
        ASSERT_TRUE(fetched.has_value()) << "the fetch did not return";
        EXPECT_EQ(fetched->body, "");
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpFetchWire, ServerClosingEarlyGivesTheShortBody) {
    const Bytes body = PatternedBytes(10000, 3);
    const std::string reply = HttpResponse(body);
    const std::size_t headLength = reply.size() - body.size();
    LoopbackOptions options;
    options.closeAfterBytes = headLength + 3000;
    LoopbackServer server([&reply](const LoopbackRequest&) { return reply; }, options);
    const auto fetched = FetchWithin({server.Address("/")}, 30s);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_TRUE(fetched->body == body.substr(0, 3000)) << fetched->body.size();
}

TEST(HttpFetchWire, TwentyThreadsAtOnceEachGetTheirOwnBody) {
    const auto bodyFor = [](const std::string& target) {
        return target + PatternedBytes(20000 + target.size() * 997, static_cast<unsigned>(target.size()));
    };
    LoopbackServer server([&bodyFor](const LoopbackRequest& request) {
        return HttpResponse(bodyFor(request.target));
    });
    std::vector<std::string> targets;
    std::vector<std::future<Fetched>> fetches;
    for (int i = 0; i < 20; ++i) {
        targets.push_back("/page/" + std::string(static_cast<std::size_t>(i + 1), 'p'));
        fetches.push_back(StartFetch({server.Address(targets.back())}));
    }
    const auto deadline = Clock::now() + 60s;
    for (std::size_t i = 0; i < fetches.size(); ++i) {
        SCOPED_TRACE(targets[i]);
        ASSERT_EQ(fetches[i].wait_until(deadline), std::future_status::ready);
        EXPECT_TRUE(fetches[i].get().body == bodyFor(targets[i]));
    }
    EXPECT_EQ(server.Requests().size(), 20u);
}

TEST(HttpFetchHostile, FiftyMegabyteBodyArrivesWhole) {
    Bytes body(50u << 20, 'x');
    for (std::size_t i = 0; i < body.size(); i += 4093) body[i] = static_cast<char>(i % 251);
    LoopbackServer server([&body](const LoopbackRequest&) { return HttpResponse(body); });
    const auto fetched = FetchWithin({server.Address("/huge")}, 180s);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->body.size(), body.size());
    EXPECT_TRUE(fetched->body == body);
}

TEST(HttpFetchHostile, HeaderBlockOverFiveThousandBytesLeavesSpaces) {
    std::string filler;
    for (int i = 0; i < 60; ++i)
        filler += "X-Filler-" + std::to_string(i) + ": " + std::string(100, 'f') + "\r\n";
    LoopbackServer server([&filler](const LoopbackRequest&) {
        return HttpResponse("body", "200 OK", filler + "Set-Cookie: lost=1; path=/none\r\n");
    });
    const auto fetched = FetchWithin({server.Address("/")}, 20s);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->body, "body");
    EXPECT_EQ(fetched->rawHeaders, std::string(5000, ' '));
    EXPECT_EQ(fetched->redirectTarget, fetched->rawHeaders);
    EXPECT_EQ(fetched->receivedCookies, "");
}

TEST(HttpFetchHostile, SilentServerIsWaitedFor) {
    LoopbackOptions options;
    options.replyDelay = 3s;
    LoopbackServer server([](const LoopbackRequest&) { return HttpResponse("late"); }, options);
    const auto fetched = FetchWithin({server.Address("/")}, 30s);
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(fetched->body, "late");
    EXPECT_GE(fetched->took, 2900ms);
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// A server that never answers must not hold a fetch (and with it the worker's
// lock on the result list) for ever.
TEST(HttpFetchHostile, SilentServerEndsTheFetchAfterTheTimeout) {
    const unsigned long previous = SetNetworkTimeoutMs(1500);
    LoopbackOptions options;
    options.replyDelay = 60s;
    LoopbackServer server([](const LoopbackRequest&) { return HttpResponse("never"); }, options);
    const auto fetched = FetchWithin({server.Address("/")}, 20s);
    SetNetworkTimeoutMs(previous);
    ASSERT_TRUE(fetched.has_value()) << "the fetch did not end";
    EXPECT_EQ(fetched->body, "");
    EXPECT_GE(fetched->took, 1400ms);
}

}  // namespace
}  // namespace sorvane
