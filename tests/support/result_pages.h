// Result pages in the search engine's layout, for fixture servers.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sorvane::testing {

struct Hit {
    std::string address;  // as it stands in the href attribute
    std::string title;    // GBK, may hold <em> tags
};

// A UTF-8 page holding the hits in the layout the worker's pattern expects,
// and the next-page link when `hasNextPage`.
std::string ResultPage(const std::vector<Hit>& hits, bool hasNextPage);

// The parts of an engine query address ("/s?wd=site%3A<host>%20<kw>&pn=N...").
struct EngineQuery {
    bool valid = false;
    std::string site;     // GBK
    std::string keyword;  // GBK
    int offset = -1;
};
EngineQuery ParseEngineQuery(const std::string& target);

// A full HTTP/1.1 200 response carrying `body`.
std::string HttpOk(const std::string& body, const std::string& contentType = "text/html; charset=utf-8");

}  // namespace sorvane::testing
