// One blocking HTTP or HTTPS request over WinInet, returning the response body
// as raw bytes. Each call opens and closes its own handles and shares nothing
// with other calls, so any number of threads may fetch at once.
#pragma once

#include <optional>
#include <string_view>

#include "app/text.h"

namespace sorvane {

class InternetLayer;

// The agent sent when the caller's header block names none.
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; TAVRO; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";

// Fetches `url` ("http://" or "https://" optional, host, optional ":port",
// path and query) and returns the body; empty bytes when the internet handle,
// the connection or the request cannot be opened, and then no parameter is
// written. A null pointer leaves that parameter out.
//
//   method           1 sends POST, anything else GET; a body goes with every
//                    method but 0.
//   postText         the body as text, used when `postBytes` is empty.
//   cookies          in/out jar "a=1; b=2", sent as a Cookie line when not
//                    empty. Given at all (even empty), WinInet's own cookie
//                    store is left out of the request and the jar is merged
//                    with the cookies received.
//   receivedCookies  out: name=value of each Set-Cookie line, joined by "; ".
//   extraHeaders     in/out: CR LF separated header lines, without a final
//                    CR LF; comes back with the default lines appended.
//   redirectTarget   out: the Location value, or the whole raw header block
//                    when the response has no Location line.
//   noRedirect       WinInet does not follow redirects.
//   postBytes        in/out body as bytes; set from `postText` when a body is
//                    sent and it is empty.
//   proxy            "host:port" of an HTTP proxy to go through.
//   rawHeaders       out: the response's header block, CR LF separated.
Bytes HttpFetch(std::string_view url, int method = 0, std::string_view postText = {},
                Text* cookies = nullptr, Text* receivedCookies = nullptr,
                Text* extraHeaders = nullptr, Text* redirectTarget = nullptr,
                bool noRedirect = false, Bytes* postBytes = nullptr,
                const std::optional<Text>& proxy = std::nullopt,
                Text* rawHeaders = nullptr) noexcept;

// The same request made through `layer` instead of the system's WinInet.
Bytes HttpFetch(InternetLayer& layer, std::string_view url, int method = 0,
                std::string_view postText = {}, Text* cookies = nullptr,
                Text* receivedCookies = nullptr, Text* extraHeaders = nullptr,
                Text* redirectTarget = nullptr, bool noRedirect = false,
                Bytes* postBytes = nullptr, const std::optional<Text>& proxy = std::nullopt,
                Text* rawHeaders = nullptr) noexcept;

}  // namespace sorvane
