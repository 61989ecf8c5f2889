// A small HTTP server on 127.0.0.1 for tests: it listens on a free port,
// answers every connection with the raw bytes a handler returns, records the
// raw requests it received, and can stay silent or close early to play a
// misbehaving server. One connection, one request, one reply: it closes every
// connection after replying.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
// The durations of std::chrono come with <thread>: <chrono> itself does not
// compile with GBK narrow literals (its "\u00b5s" suffix has no GBK form).
#include <thread>
#include <utility>
#include <vector>

namespace sorvane::testing {

struct LoopbackRequest {
    std::string raw;  // every byte received: request line, headers, body
    std::string method, target, version;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
    std::string body;  // as long as its Content-Length says

    // The value of the first header of that name, in any letter case; empty
    // when there is none.
    std::string Header(std::string_view name) const;
    // How many headers have that name, in any letter case.
    int HeaderCount(std::string_view name) const;
};

struct LoopbackOptions {
    // Silence after the request has been read, before the reply.
    std::chrono::milliseconds replyDelay{0};
    // The connection closes once this many bytes of the reply have gone out.
    std::size_t closeAfterBytes = std::numeric_limits<std::size_t>::max();
};

class LoopbackServer {
public:
    // Gets each request once it has arrived whole and returns the raw reply
    // (status line, headers, body). May run on several threads at once.
    using Handler = std::function<std::string(const LoopbackRequest&)>;

    explicit LoopbackServer(Handler handler, LoopbackOptions options = {});
    // Stops listening, cuts every open connection (a silent reply ends at
    // once) and waits for the connection threads.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Address(std::string_view path = "/") const;
    // The requests received so far, in order of arrival.
    std::vector<LoopbackRequest> Requests() const;
    // True once `count` requests have arrived; false when `timeout` passes first.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// A whole reply: "HTTP/1.1 " and `status`, Content-Length of `body`,
// "Connection: close", then `headerLines` (each ending in CR LF) and the body.
std::string HttpResponse(std::string_view body, std::string_view status = "200 OK",
                         std::string_view headerLines = {});

}  // namespace sorvane::testing
