// An internet layer that plays a scripted response and records every call a
// fetch makes, with its arguments.
#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "web/internet_layer.h"

namespace sorvane::testing {

class RecordingInternetLayer final : public InternetLayer {
public:
    // The script.
    bool failOpen = false;
    bool failConnect = false;
    bool failRequest = false;
    std::vector<std::string> bodyChunks;    // what successive reads deliver
    bool failReadAfterChunks = false;       // the read after the chunks fails
    bool throwOnRead = false;               // a read runs out of memory
    std::string responseHeaders;
    bool failQuery = false;

    // What the fetch did. Calls are named "Open", "Connect", "OpenRequest",
    // "Send", "Read", "Query" and "Close internet" / "connection" / "request".
    std::vector<std::string> calls;
    struct OpenArgs {
        std::string agent;
        std::uint32_t accessType = 0;
        std::string proxy, proxyBypass;
        std::uint32_t flags = 0;
    } open;
    struct ConnectArgs {
        std::string host;
        int port = 0;
        std::string userName, password;
        std::uint32_t service = 0, flags = 0;
        std::uintptr_t context = 0;
    } connect;
    struct RequestArgs {
        std::string verb, objectName, version;
        std::uint32_t flags = 0;
        std::uintptr_t context = 0;
    } request;
    struct SendArgs {
        std::string headers, optional;
    } send;
    std::vector<std::uint32_t> readSizes;
    struct QueryArgs {
        std::uint32_t infoLevel = 0, length = 0;
        std::string bufferOnEntry;
    } query;

    InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                        const std::string& proxy, const std::string& proxyBypass,
                        std::uint32_t flags) override {
        calls.push_back("Open");
        open = {agent, accessType, proxy, proxyBypass, flags};
        return failOpen ? nullptr : &internet_;
    }

    InternetHandle Connect(InternetHandle, const std::string& host, int port,
                           const std::string& userName, const std::string& password,
                           std::uint32_t service, std::uint32_t flags,
                           std::uintptr_t context) override {
        calls.push_back("Connect");
        connect = {host, port, userName, password, service, flags, context};
        return failConnect ? nullptr : &connection_;
    }

    InternetHandle OpenRequest(InternetHandle, const std::string& verb,
                               const std::string& objectName, const std::string& version,
                               std::uint32_t flags, std::uintptr_t context) override {
        calls.push_back("OpenRequest");
        request = {verb, objectName, version, flags, context};
        return failRequest ? nullptr : &request_;
    }

    bool SendRequest(InternetHandle, std::string_view headers, std::string_view optional) override {
        calls.push_back("Send");
        send = {std::string(headers), std::string(optional)};
        return true;
    }

    bool ReadFile(InternetHandle, char* buffer, std::uint32_t size, std::uint32_t& read) override {
        calls.push_back("Read");
        readSizes.push_back(size);
        if (throwOnRead) throw std::bad_alloc();
        read = 0;
        if (nextChunk_ == bodyChunks.size()) return !failReadAfterChunks;
        const std::string& chunk = bodyChunks[nextChunk_++];
        read = static_cast<std::uint32_t>(std::min<std::size_t>(chunk.size(), size));
        std::memcpy(buffer, chunk.data(), read);
        return true;
    }

    // Like WinInet: the text and a zero when both fit, else the size needed.
    bool QueryInfo(InternetHandle, std::uint32_t infoLevel, char* buffer,
                   std::uint32_t& length) override {
        calls.push_back("Query");
        query = {infoLevel, length, std::string(buffer, length)};
        if (failQuery) return false;
        const auto needed = static_cast<std::uint32_t>(responseHeaders.size() + 1);
        if (needed > length) {
            length = needed;
            return false;
        }
        std::memcpy(buffer, responseHeaders.c_str(), needed);
        length = needed - 1;
        return true;
    }

    bool CloseHandle(InternetHandle handle) override {
        if (handle == &internet_) calls.push_back("Close internet");
        else if (handle == &connection_) calls.push_back("Close connection");
        else if (handle == &request_) calls.push_back("Close request");
        else calls.push_back("Close unknown");
        return true;
    }

private:
    char internet_ = 0, connection_ = 0, request_ = 0;
    std::size_t nextChunk_ = 0;
};

}  // namespace sorvane::testing
