#include "support/result_pages.h"

#include "app/codepage.h"
#include "app/text.h"

namespace sorvane::testing {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string QueryValue(const std::string& query, const std::string& key) {
    for (const std::string& pair : TextSplit(query, "&"))
        if (pair.rfind(key + "=", 0) == 0) return pair.substr(key.size() + 1);
    return {};
}

}  // namespace

std::string ResultPage(const std::vector<Hit>& hits, bool hasNextPage) {
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>results</title></head>"
        "<body><div id=\"content_left\">\n";
    for (const Hit& hit : hits) {
        page += "<div class=\"result c-container\"><h3 class=\"t\"><a\n href=\"";
        page += Utf8FromGbk(hit.address);
        page += "\"\n\t\t\n\t\t            target=\"_blank\"\n        \t\t\n\t\t>";
        page += Utf8FromGbk(hit.title);
        page += "</a></h3><div class=\"c-abstract\">abstract</div></div>\n";
    }
    page += "</div><div id=\"page\">";
    if (hasNextPage) page += Utf8FromGbk("<a href=\"/s?pn=50\" class=\"n\">下一页&gt;</a>");
    page += "</div></body></html>\n";
    return page;
}

EngineQuery ParseEngineQuery(const std::string& target) {
    EngineQuery query;
    const std::size_t mark = target.find('?');
    if (target.rfind("/s?", 0) != 0 || mark == std::string::npos) return query;
    const std::string parameters = target.substr(mark + 1);
    // The site is inserted unencoded, so split wd by its escaped space.
    const std::string wd = QueryValue(parameters, "wd");
    const std::string prefix = "site%3A";
    const std::size_t space = wd.find("%20");
    if (wd.rfind(prefix, 0) != 0 || space == std::string::npos) return query;
    query.site = wd.substr(prefix.size(), space - prefix.size());
    query.keyword = GbkFromUtf8(PercentDecode(wd.substr(space + 3)));
    const std::string pn = QueryValue(parameters, "pn");
    if (pn.empty()) return query;
    query.offset = static_cast<int>(TextToNumber(pn));
    query.valid = true;
    return query;
}

std::string HttpOk(const std::string& body, const std::string& contentType) {
    return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace sorvane::testing
