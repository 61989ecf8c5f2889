#include "tests/support/loopback_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

namespace sorvane::testing {
namespace {

// Every blocking step waits in slices this long, so a stop is seen quickly.
constexpr long kPollSliceMicroseconds = 50'000;
constexpr std::size_t kSendChunk = 64 * 1024;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return fold(x) == fold(y);
           });
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// Fills the parsed fields from the request head (everything before the blank line).
void ParseHead(std::string_view head, LoopbackRequest& request) {
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart <= head.size()) {
        std::size_t lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = head.size();
        const std::string_view line = head.substr(lineStart, lineEnd - lineStart);
        if (first) {
            const auto space1 = line.find(' ');
            const auto space2 = line.rfind(' ');
            request.method = std::string(line.substr(0, space1));
            if (space1 != std::string_view::npos && space2 > space1) {
                request.target = std::string(line.substr(space1 + 1, space2 - space1 - 1));
                request.version = std::string(line.substr(space2 + 1));
            }
            first = false;
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            request.headers.emplace_back(std::string(line.substr(0, colon)),
                                         Trim(line.substr(colon + 1)));
        }
        lineStart = lineEnd + 2;
    }
}

}  // namespace

std::string LoopbackRequest::Header(std::string_view name) const {
    for (const auto& [headerName, value] : headers)
        if (EqualIgnoringCase(headerName, name)) return value;
    return {};
}

int LoopbackRequest::HeaderCount(std::string_view name) const {
    return static_cast<int>(std::count_if(headers.begin(), headers.end(), [&](const auto& header) {
        return EqualIgnoringCase(header.first, name);
    }));
}

struct LoopbackServer::State {
    Handler handler;
    LoopbackOptions options;
    SOCKET listener = INVALID_SOCKET;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptor;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<LoopbackRequest> requests;
    std::vector<std::thread> connections;
    std::set<SOCKET> openSockets;

    // Waits until the socket can be read (or written); false when stopping or
    // on a socket error.
    bool WaitUntilReady(SOCKET socket, bool forWrite) const {
        while (!stopping) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(socket, &set);
            timeval slice{0, kPollSliceMicroseconds};
            const int ready = forWrite ? select(0, nullptr, &set, nullptr, &slice)
                                       : select(0, &set, nullptr, nullptr, &slice);
            if (ready > 0) return true;
            if (ready == SOCKET_ERROR) return false;
        }
        return false;
    }

    // Reads the head and as much body as Content-Length announces.
    bool ReadRequest(SOCKET socket, LoopbackRequest& request) {
        std::size_t headEnd = std::string::npos;
        std::size_t wanted = std::string::npos;
        char buffer[16 * 1024];
        while (wanted == std::string::npos || request.raw.size() < wanted) {
            if (!WaitUntilReady(socket, false)) return false;
            const int got = recv(socket, buffer, sizeof buffer, 0);
            if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
            if (got <= 0) return false;
            request.raw.append(buffer, static_cast<std::size_t>(got));
            if (headEnd == std::string::npos) {
                headEnd = request.raw.find("\r\n\r\n");
                if (headEnd == std::string::npos) continue;
                ParseHead(std::string_view(request.raw).substr(0, headEnd), request);
                const std::string length = request.Header("Content-Length");
                wanted = headEnd + 4 + std::strtoull(length.c_str(), nullptr, 10);
            }
        }
        request.body = request.raw.substr(headEnd + 4);
        return true;
    }

    void SendReply(SOCKET socket, std::string_view reply) {
        reply = reply.substr(0, std::min(reply.size(), options.closeAfterBytes));
        while (!reply.empty()) {
            if (!WaitUntilReady(socket, true)) return;
            const int chunk = static_cast<int>(std::min(reply.size(), kSendChunk));
            const int sent = send(socket, reply.data(), chunk, 0);
            if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
            if (sent <= 0) return;
            reply.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

    void Serve(SOCKET socket) {
        LoopbackRequest request;
        if (ReadRequest(socket, request)) {
            {
                std::lock_guard lock(mutex);
                requests.push_back(request);
            }
            changed.notify_all();
            std::string reply;
            try {
                reply = handler(request);
            } catch (...) {
                reply.clear();
            }
            {
                std::unique_lock lock(mutex);
                changed.wait_for(lock, options.replyDelay, [this] { return stopping.load(); });
            }
            if (!stopping) SendReply(socket, reply);
        }
        shutdown(socket, SD_SEND);
        // Whatever the client sent after its request is read away, so closing
        // sends a plain end of stream rather than a reset that could cut off
        // reply bytes still on their way.
        char drain[4096];
        while (recv(socket, drain, sizeof drain, 0) > 0) {
        }
        {
            std::lock_guard lock(mutex);
            openSockets.erase(socket);
        }
        closesocket(socket);
    }

    void AcceptLoop() {
        while (WaitUntilReady(listener, false)) {
            const SOCKET client = accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            u_long nonBlocking = 1;
            ioctlsocket(client, FIONBIO, &nonBlocking);
            std::lock_guard lock(mutex);
            openSockets.insert(client);
            connections.emplace_back([this, client] { Serve(client); });
        }
    }
};

LoopbackServer::LoopbackServer(Handler handler, LoopbackOptions options)
    : state_(std::make_shared<State>()) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    state_->handler = std::move(handler);
    state_->options = options;

    state_->listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (state_->listener == INVALID_SOCKET ||
        bind(state_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(state_->listener, SOMAXCONN) != 0 ||
        getsockname(state_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::abort();  // a test cannot run without its server
    }
    state_->port = ntohs(address.sin_port);
    State* state = state_.get();
    state_->acceptor = std::thread([state] { state->AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        for (const SOCKET socket : state_->openSockets) shutdown(socket, SD_BOTH);
    }
    state_->changed.notify_all();
    state_->acceptor.join();
    closesocket(state_->listener);
    // No connection thread starts once the acceptor has ended.
    for (std::thread& connection : state_->connections) connection.join();
    WSACleanup();
}

int LoopbackServer::Port() const { return state_->port; }

std::string LoopbackServer::Address(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + std::string(path);
}

std::vector<LoopbackRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

bool LoopbackServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout,
                                    [&] { return state_->requests.size() >= count; });
}

std::string HttpResponse(std::string_view body, std::string_view status,
                         std::string_view headerLines) {
    std::string reply = "HTTP/1.1 " + std::string(status) + "\r\n";
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n";
    reply += headerLines;
    reply += "\r\n";
    reply += body;
    return reply;
}

}  // namespace sorvane::testing
