#include "web/url_helpers.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(TextBetween, FindsTheTextBetweenMarkers) {
    struct Case {
        const char* text;
        const char* left;
        const char* right;
        int start;
        bool caseSensitive;
        const char* expected;
    };
    const Case cases[] = {
        {"a\"b\"c", "#引号", "#引号", 1, false, "b"},
        {"key=[v]", "[", "]", 1, false, "v"},
        {"x]y[z", "[", "]", 1, false, ""},          // right marker only before the left one
        {"[]", "[", "]", 1, false, ""},              // empty value
        {"Set-Cookie: a=1; p", "set-cookie:", ";", 1, false, " a=1"},
        {"Set-Cookie: a=1; p", "set-cookie:", ";", 1, true, ""},
        {"[a][b]", "[", "]", 2, false, "b"},
        {"none", "[", "]", 1, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.caseSensitive), c.expected)
            << c.text << " " << c.left << " " << c.right;
}

TEST(ValueAfterColon, TrimsWhatFollowsTheFirstColon) {
    EXPECT_EQ(ValueAfterColon("Location:  http://a/b  "), "http://a/b");
    EXPECT_EQ(ValueAfterColon("a: b: c"), "b: c");
    EXPECT_EQ(ValueAfterColon("no colon"), "");
    EXPECT_EQ(ValueAfterColon("x:\xA1\xA1value\xA1\xA1"), "value");
}

TEST(AddressParts, HostPortAndPath) {
    struct Case {
        const char* url;
        const char* host;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"Example.COM", "example.com", 80, "/"},
        {"https://a.b.c", "a.b.c", 443, "/"},
        {"http://Host:81/x", "host", 81, "/x"},
        {"https://h:8443/p?q=1", "h", 8443, "/p?q=1"},
        {"HTTP://WWW.Host.com:8080/Path", "www.host.com", 8080, "/Path"},
        {"www.e.com/s?wd=X", "www.e.com", 80, "/s?wd=X"},
        {"http://127.0.0.1:5000/s?wd=site%3Aa.b%20k&pn=0", "127.0.0.1", 5000,
         "/s?wd=site%3Aa.b%20k&pn=0"},
        {"http://h:abc/", "h", 0, "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostOfUrl(c.url), c.host) << c.url;
        EXPECT_EQ(PortOfUrl(c.url), c.port) << c.url;
        EXPECT_EQ(PathOfUrl(c.url), c.path) << c.url;
    }
}

TEST(AddressParts, HostOptions) {
    EXPECT_EQ(HostOfUrl("HTTP://WWW.Host.com:8080/x", false, true), "www.host.com:8080");
    EXPECT_EQ(HostOfUrl("http://pan.baidu.com/s/1", true), "baidu.com");
    EXPECT_EQ(HostOfUrl("http://pan.baidu.com:81/", true, true), "baidu.com:81");
    EXPECT_EQ(HostOfUrl("localhost", true), "localhost");
}

TEST(Cookies, MergeReplacesDropsDeletedAndKeepsOrder) {
    struct Case {
        const char* jar;
        const char* items;
        const char* merged;
        const char* itemsAfter;
    };
    const Case cases[] = {
        {"a=1; b=2", "b=3;k=deleted", "b=3; a=1", "b=3;k=deleted"},
        {"", "x=1; x=1", "x=1", "x=1;x=1"},
        {"", "x=1; x=2", "x=1; x=2", "x=1;x=2"},
        {"", "", "", ""},
        {"a=1; a=2", "", "a=1", ""},
        {"s=1", "t=2", "t=2; s=1", "t=2"},
    };
    for (const Case& c : cases) {
        std::string jar = c.jar;
        std::string items = c.items;
        EXPECT_EQ(MergeCookies(jar, items), c.merged) << c.jar << " + " << c.items;
        EXPECT_EQ(jar, c.merged);
        EXPECT_EQ(items, c.itemsAfter);
    }
}

TEST(Cookies, NamesAndItems) {
    EXPECT_EQ(CookieName(" sid = 5"), "sid");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_TRUE(HasCookieNamed({"a=1", "b=2"}, "b"));
    EXPECT_FALSE(HasCookieNamed({"a=1", "B=2"}, "b"));
    EXPECT_EQ(RemoveDuplicateItems("p; q; p", "; "), "p; q");
    EXPECT_EQ(RemoveDuplicateItems("", "; "), "");
    EXPECT_EQ(IndexOfItem({"a", "b", "b"}, "b"), 2);
    EXPECT_EQ(IndexOfItem({"a"}, "c"), -1);
}

}  // namespace
}  // namespace sorvane
