// The built-in file-sharing services, and the address of one result page of
// the web search engine for a site-restricted query.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sorvane {

struct SiteEntry {
    int index;            // the job index, 1 to 22
    const char* boxName;  // its check box in the main window
    const char* label;    // the check box's label
    const char* host;     // bare host of the service's share pages
};

inline constexpr int kSiteCount = 22;

// The fixed table, in index order (entry i-1 has index i).
const std::array<SiteEntry, kSiteCount>& SiteTable();

// The host to search for a job: the table's host for 1 to 22, the job's own
// host above 22, empty below 1.
std::string HostForJob(int index, std::string_view jobHost);

// Percent-encodes a GBK keyword. With `keepSafe` letters, digits, "-" and "."
// stay as they are; with `toUtf8` the keyword is encoded as UTF-8 bytes.
std::string EncodeKeyword(std::string_view keyword, bool keepSafe = true, bool toUtf8 = true);

// The engine's host: SORVANE_ENGINE_HOST when set, else the public engine.
std::string EngineHost();

// The address of the result page at `offset` (0, 50, 100, ...).
std::string QueryAddress(std::string_view host, std::string_view encodedKeyword, int offset);

}  // namespace sorvane
