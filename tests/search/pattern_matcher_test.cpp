#include "search/pattern_matcher.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// The result-page expression of the search, and one hit laid out the way the
// engine writes it.
constexpr char kResultPattern[] =
    "href=\"(.*?)\"\n\t\t\n\t\t            target=\"_blank\"\n        \t\t\n\t\t"
    ">(.*?)</a></h3><div";
static_assert(sizeof kResultPattern - 1 == 78);

std::string Hit(const std::string& url, const std::string& title) {
    return "<h3 class=\"t\"><a\n        data-click=\"{}\"\n        href=\"" + url +
           "\"\n\t\t\n\t\t            target=\"_blank\"\n        \t\t\n\t\t>" + title +
           "</a></h3><div class=\"c-abstract\">摘要</div>\n";
}

TEST(PatternMatcher, FindsTheHitsOfAResultPage) {
    // The first link sits on one line and does not fit the layout: its lazy
    // group must not run on across the line feed into the next hit.
    const std::string page = "<html><body><a href=\"http://x/首页\">首页</a>\n" +
                             Hit("http://pan.example.com/s/1aB", "<em>网盘</em>资料 第1集") +
                             Hit("http://pan.example.com/s/2cD?x=1&amp;y", "合集<em>网盘</em>") +
                             "<a class=\"n\">下一页&gt;</a></body></html>";
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute(kResultPattern, page));
    ASSERT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchText(1, 1), "http://pan.example.com/s/1aB");
    EXPECT_EQ(matcher.SubmatchText(1, 2), "<em>网盘</em>资料 第1集");
    EXPECT_EQ(matcher.SubmatchText(2, 1), "http://pan.example.com/s/2cD?x=1&amp;y");
    EXPECT_EQ(matcher.SubmatchText(2, 2), "合集<em>网盘</em>");
}

struct OptionCase {
    const char* name;
    const char* pattern;
    const char* subject;
    bool caseSensitive;
    bool multiline;
    bool global;
    bool quoteEscape;
    int count;
    const char* first;  // text of match 1
};

class PatternOptions : public testing::TestWithParam<OptionCase> {};

TEST_P(PatternOptions, GiveTheExpectedMatches) {
    const OptionCase& c = GetParam();
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                                c.quoteEscape));
    EXPECT_EQ(matcher.MatchCount(), c.count);
    EXPECT_EQ(matcher.MatchText(1), c.first);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternOptions,
    testing::Values(
        OptionCase{"IgnoresCaseByDefault", "abc", "ABC abc", false, true, true, false, 2, "ABC"},
        OptionCase{"CaseSensitive", "abc", "ABC abc", true, true, true, false, 1, "abc"},
        OptionCase{"MultilineAnchors", "^b$", "a\nb\nc", false, true, true, false, 1, "b"},
        OptionCase{"SingleLineAnchors", "^b$", "a\nb\nc", false, false, true, false, 0, ""},
        OptionCase{"Global", "a", "aXaXa", false, true, true, false, 3, "a"},
        OptionCase{"FirstOnly", "a", "aXaXa", false, true, false, false, 1, "a"},
        OptionCase{"DotStopsAtLineFeed", "a.b", "a\nb aXb", false, true, true, false, 1, "aXb"},
        OptionCase{"LazyTakesShortest", "<(.*?)>", "<a><b>", false, true, true, false, 2, "<a>"},
        OptionCase{"DotIsOneChineseCharacter", "^..$", "网盘", false, true, true, false, 1,
                   "网盘"},
        OptionCase{"QuoteEscape", "href=#引号(.*?)#引号", "href=\"u\"", false, true, true, true,
                   1, "href=\"u\""},
        OptionCase{"QuoteEscapeOff", "href=#引号(.*?)#引号", "href=\"u\"", false, true, true,
                   false, 0, ""},
        OptionCase{"EmptySubject", "a", "", false, true, true, false, 0, ""}),
    [](const testing::TestParamInfo<OptionCase>& p) { return std::string(p.param.name); });

TEST(PatternMatcher, RejectedPatternGivesEmptyResults) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute("(a)", "a"));
    EXPECT_FALSE(matcher.Execute("(a", "a a"));
    EXPECT_EQ(matcher.MatchCount(), 0);  // the previous matches are gone too
    EXPECT_EQ(matcher.MatchText(1), "");
    EXPECT_EQ(matcher.SubmatchText(1, 1), "");
    EXPECT_EQ(matcher.SubmatchCount(), 0);
    int position = 7;
    matcher.MatchText(1, &position);
    EXPECT_EQ(position, -2);
}

TEST(PatternMatcher, NumbersOutsideTheMatchesGiveEmptyText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute("(\\d)-(\\d)", "1-2 3-4"));
    ASSERT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.MatchText(2), "3-4");
    EXPECT_EQ(matcher.SubmatchText(2, 2), "4");
    for (const auto& [i, j] : {std::pair{0, 1}, {3, 1}, {-1, 1}, {1, 0}, {1, 3}, {1, -5}}) {
        EXPECT_EQ(matcher.SubmatchText(i, j), "") << i << "," << j;
    }
    EXPECT_EQ(matcher.MatchText(0), "");
    EXPECT_EQ(matcher.MatchText(3), "");
}

TEST(PatternMatcher, UnusedGroupIsEmpty) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute("a(x)?(b)", "ab"));
    EXPECT_EQ(matcher.SubmatchText(1, 1), "");
    EXPECT_EQ(matcher.SubmatchText(1, 2), "b");
}

TEST(PatternMatcher, NothingBeforeTheFirstExecute) {
    PatternMatcher matcher;
    EXPECT_EQ(matcher.PatternText(), "");
    EXPECT_EQ(matcher.Replace("x"), "");
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), "");
    EXPECT_EQ(matcher.SubmatchCount(), 0);
}

TEST(PatternMatcher, SecondExecuteReplacesExpressionMatchesAndSubject) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute("a", "a a a"));
    ASSERT_TRUE(matcher.Execute("盘(\\d)", "网盘1 网盘2", true, true, false));
    EXPECT_EQ(matcher.PatternText(), "盘(\\d)");
    EXPECT_EQ(matcher.MatchCount(), 1);  // not global any more
    EXPECT_EQ(matcher.MatchText(1), "盘1");
    EXPECT_EQ(matcher.Replace("[$1]"), "网[1] 网盘2");
}

TEST(PatternMatcher, ReplaceUsesGroupsAndKeepsChineseText) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute("(\\w+)@(\\w+)", "甲 ab@cd 乙 ef@gh"));
    EXPECT_EQ(matcher.Replace("$2（$1）"), "甲 cd（ab） 乙 gh（ef）");
    EXPECT_EQ(matcher.Replace(""), "甲  乙 ");
}

TEST(PatternMatcher, PositionsAreZeroBasedBytes) {
    PatternMatcher matcher;
    int position = 0;
    // Two double-byte characters come before the matches.
    ASSERT_TRUE(matcher.Execute("a", "中文aa"));
    EXPECT_EQ(matcher.MatchText(1, &position), "a");
    EXPECT_EQ(position, 4);
    EXPECT_EQ(matcher.MatchText(2, &position), "a");
    EXPECT_EQ(position, 5);
    // The match right before this one holds the same text.
    ASSERT_TRUE(matcher.Execute("b", "bb"));
    matcher.MatchText(2, &position);
    EXPECT_EQ(position, 1);
    ASSERT_TRUE(matcher.Execute("(盘)(\\d)", "网盘1网盘2"));
    EXPECT_EQ(matcher.SubmatchText(2, 2, &position), "2");
    EXPECT_EQ(position, 9);
    // Not global: Wine's object never leaves an empty match when it repeats.
    ASSERT_TRUE(matcher.Execute("$", "ab", true, false, false));
    EXPECT_EQ(matcher.MatchText(1, &position), "");
    EXPECT_EQ(position, 2);
}

TEST(PatternMatcher, CopySharesMatchesAndKeepsItsOwnSubject) {
    PatternMatcher original;
    ASSERT_TRUE(original.Execute("o", "foo"));
    PatternMatcher copy(original);
    ASSERT_TRUE(original.Execute("x", "xyz"));
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.PatternText(), "o");
    EXPECT_EQ(copy.Replace("0"), "f00");
    PatternMatcher assigned;
    assigned = original;
    EXPECT_EQ(assigned.MatchText(1), "x");
    assigned = assigned;
    EXPECT_EQ(assigned.Replace("-"), "-yz");
}

// Every instance, copies included, undoes exactly the COM initialisation it
// made, so a thread's own initialisation survives the matchers it used.
TEST(PatternMatcher, WorksOnItsOwnThreadAndBalancesComInitialisation) {
    int count = -1;
    HRESULT afterwards = E_FAIL;
    std::thread worker([&] {
        const HRESULT own = CoInitialize(nullptr);
        {
            PatternMatcher matcher;
            matcher.Execute("\\d", "1 2 3");
            PatternMatcher copy(matcher);
            PatternMatcher assigned;
            assigned = copy;
            count = assigned.MatchCount();
        }
        afterwards = CoInitialize(nullptr);  // S_FALSE: still initialised
        if (SUCCEEDED(afterwards)) CoUninitialize();
        if (SUCCEEDED(own)) CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(count, 3);
    EXPECT_EQ(afterwards, S_FALSE);
}

}  // namespace
}  // namespace sorvane
