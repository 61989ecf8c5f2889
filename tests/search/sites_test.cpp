#include "search/sites.h"

#include <cstdlib>
#include <set>

#include <gtest/gtest.h>

#include "web/url_helpers.h"

namespace sorvane {
namespace {

TEST(SiteTable, IsInIndexOrderWithBareUniqueHosts) {
    std::set<std::string> hosts, boxes;
    for (std::size_t i = 0; i < SiteTable().size(); ++i) {
        const SiteEntry& site = SiteTable()[i];
        EXPECT_EQ(site.index, static_cast<int>(i) + 1);
        const std::string host = site.host;
        EXPECT_EQ(HostOfUrl(host), host) << "not a bare lower-case host: " << host;
        EXPECT_EQ(host.find_first_of(":/ "), std::string::npos) << host;
        hosts.insert(host);
        boxes.insert(site.boxName);
    }
    EXPECT_EQ(hosts.size(), 22u);
    EXPECT_EQ(boxes.size(), 22u);
    EXPECT_STREQ(SiteTable()[0].boxName, "选择框_百度");
    EXPECT_STREQ(SiteTable()[11].label, "115网盘");
    EXPECT_STREQ(SiteTable()[21].boxName, "选择框_good");
    EXPECT_STREQ(SiteTable()[21].label, SiteTable()[21].host);
}

TEST(HostForJob, ChoosesTableOrJobHost) {
    EXPECT_EQ(HostForJob(1, "ignored"), SiteTable()[0].host);
    EXPECT_EQ(HostForJob(22, "x.y"), SiteTable()[21].host);
    EXPECT_EQ(HostForJob(24, "my.site"), "my.site");
    EXPECT_EQ(HostForJob(24, "a b\r\nc"), "a b\r\nc");
    EXPECT_EQ(HostForJob(23, ""), "");
    EXPECT_EQ(HostForJob(0, "x"), "");
    EXPECT_EQ(HostForJob(-5, "x"), "");
}

TEST(EncodeKeyword, EscapesAllButLettersDigitsHyphenAndFullStop) {
    struct Case {
        const char* keyword;
        bool keepSafe;
        bool toUtf8;
        const char* encoded;
    };
    const Case cases[] = {
        {"网盘 a_b", true, true, "%E7%BD%91%E7%9B%98%20a%5Fb"},
        {"a+b", true, true, "a%2Bb"},
        {"a/b.c-d~e", true, true, "a%2Fb.c-d%7Ee"},
        {"AZaz09", true, true, "AZaz09"},
        {"\n", true, true, "%0A"},
        {"", true, true, ""},
        {"a.1", false, true, "%61%2E%31"},
        {"网", true, false, "%CD%F8"},
        {"网a", false, false, "%CD%F8%61"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeKeyword(c.keyword, c.keepSafe, c.toUtf8), c.encoded) << c.keyword;
}

TEST(QueryAddress, IsTheSiteRestrictedPageAddress) {
    _putenv_s("SORVANE_ENGINE_HOST", "127.0.0.1:8123");
    EXPECT_EQ(EngineHost(), "127.0.0.1:8123");
    EXPECT_EQ(QueryAddress("pan.baidu.com", "k%20w", 0),
              "http://127.0.0.1:8123/s?wd=site%3Apan.baidu.com%20k%20w&pn=0&rn=50&ie=utf-8&rsv_page=1");
    EXPECT_EQ(QueryAddress("", "k", 150),
              "http://127.0.0.1:8123/s?wd=site%3A%20k&pn=150&rn=50&ie=utf-8&rsv_page=1");
    EXPECT_EQ(QueryAddress("a b", "k", 50),
              "http://127.0.0.1:8123/s?wd=site%3Aa b%20k&pn=50&rn=50&ie=utf-8&rsv_page=1");
    _putenv_s("SORVANE_ENGINE_HOST", "");
    EXPECT_EQ(EngineHost(), "www.baidu.com");
}

}  // namespace
}  // namespace sorvane
