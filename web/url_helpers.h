// Address, header-line and cookie helpers: pure functions over GBK texts,
// callable from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The text between the first `left` marker (searched from 1-based `start`) and
// the next `right` marker, or empty. "#引号" in a marker stands for a double
// quote. ASCII letters compare without case unless `caseSensitive`.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start = 1, bool caseSensitive = false);

// The text after the first ":", trimmed; empty without a colon.
std::string ValueAfterColon(std::string_view line);

// The host of an address in lower case; without a scheme it is read as http.
std::string HostOfUrl(std::string_view url, bool mainDomainOnly = false, bool keepPort = false);
int PortOfUrl(std::string_view url);
// Path and query, starting with "/"; "/" when the address has none.
std::string PathOfUrl(std::string_view url);

// Merges `newItems` into `jar` (both left without spaces); new items replace
// old ones of the same name, "=deleted" items are dropped. The merged jar
// replaces `jar` and is returned.
std::string MergeCookies(std::string& jar, std::string& newItems);
std::string CookieName(std::string_view item);
bool HasCookieNamed(const std::vector<std::string>& items, std::string_view name);
std::string RemoveDuplicateItems(std::string_view text, std::string_view separator);
// 1-based index of the first item equal to `text`, or -1.
int IndexOfItem(const std::vector<std::string>& items, std::string_view text);

}  // namespace sorvane
