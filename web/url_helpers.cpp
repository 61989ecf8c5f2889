#include "web/url_helpers.h"

#include "app/text.h"

namespace sorvane {
namespace {

constexpr std::string_view kQuoteToken = "#引号";

}  // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool caseSensitive) {
    const std::string leftMarker = TextReplaceAll(left, kQuoteToken, "\"");
    const std::string rightMarker = TextReplaceAll(right, kQuoteToken, "\"");
    const int leftAt = TextFind(text, leftMarker, start, !caseSensitive);
    if (leftAt < 0) return {};
    const int valueAt = leftAt + static_cast<int>(leftMarker.size());
    if (static_cast<std::size_t>(valueAt - 1) > text.size()) return {};
    const int rightAt = TextFind(text, rightMarker, valueAt, !caseSensitive);
    if (rightAt < 0) return {};
    return std::string(text.substr(static_cast<std::size_t>(valueAt - 1),
                                   static_cast<std::size_t>(rightAt - valueAt)));
}

std::string ValueAfterColon(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    return TextTrim(line.substr(colon + 1));
}

std::string HostOfUrl(std::string_view url, bool mainDomainOnly, bool keepPort) {
    std::string work = TextLower(url);
    if (!TextEndsWith(work, "/")) work += '/';
    std::string prefix = "https://";
    if (work.rfind(prefix, 0) != 0) {
        prefix = "http://";
        if (work.find(prefix) == std::string::npos) work.insert(0, prefix);
    }
    std::string host = TextBetween(work, prefix, "/");
    if (mainDomainOnly) {
        const std::vector<std::string> pieces = TextSplit(host, ".");
        if (pieces.size() >= 2) host = pieces[pieces.size() - 2] + "." + pieces.back();
    }
    if (!keepPort) {
        const std::size_t colon = host.find(':');
        if (colon != std::string::npos) host.resize(colon);
    }
    return host;
}

int PortOfUrl(std::string_view url) {
    const std::string host = HostOfUrl(url, false, true);
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) return static_cast<int>(TextToNumber(host.substr(colon + 1)));
    return TextLower(url.substr(0, 5)) == "https" ? 443 : 80;
}

std::string PathOfUrl(std::string_view url) {
    const std::string host = HostOfUrl(url);
    // The host is looked for after the scheme, so a host such as "h" or "tp"
    // is not found inside "http://" itself.
    const std::size_t scheme = url.find("://");
    const int hostFrom = scheme == std::string_view::npos ? 1 : static_cast<int>(scheme) + 4;
    const int hostAt = TextFind(url, host, hostFrom, true);
    const int slashAt = TextFind(url, "/", hostAt < 0 ? 1 : hostAt);
    if (hostAt < 0 || slashAt < 0) return "/";
    return std::string(url.substr(static_cast<std::size_t>(slashAt - 1)));
}

std::string CookieName(std::string_view item) {
    const std::size_t equals = item.find('=');
    return TextTrim(equals == std::string_view::npos ? item : item.substr(0, equals));
}

bool HasCookieNamed(const std::vector<std::string>& items, std::string_view name) {
    for (const std::string& item : items)
        if (CookieName(item) == name) return true;
    return false;
}

int IndexOfItem(const std::vector<std::string>& items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return static_cast<int>(i) + 1;
    return -1;
}

std::string RemoveDuplicateItems(std::string_view text, std::string_view separator) {
    std::vector<std::string> seen;
    std::string out;
    for (std::string& piece : TextSplit(text, separator)) {
        if (IndexOfItem(seen, piece) > 0) continue;
        out += piece;
        out += separator;
        seen.push_back(std::move(piece));
    }
    if (out.size() >= separator.size()) out.resize(out.size() - separator.size());
    return out;
}

std::string MergeCookies(std::string& jar, std::string& newItems) {
    jar = TextRemoveSpaces(jar);
    newItems = TextRemoveSpaces(newItems);
    std::vector<std::string> merged = TextSplit(newItems, ";");
    for (std::string& old : TextSplit(jar, ";"))
        if (!HasCookieNamed(merged, CookieName(old))) merged.push_back(std::move(old));

    std::string joined;
    for (const std::string& item : merged) {
        if (TextEndsWith(item, "=deleted")) continue;
        joined += item;
        joined += "; ";
    }
    if (joined.size() >= 2) joined.resize(joined.size() - 2);
    jar = RemoveDuplicateItems(joined, "; ");
    return jar;
}

}  // namespace sorvane
