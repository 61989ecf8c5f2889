#include "search/search_worker.h"

#include <gtest/gtest.h>

#include "search/pattern_matcher.h"
#include "support/result_pages.h"
#include "app/codepage.h"

namespace sorvane {
namespace {

TEST(ResultPattern, IsExactlyTheEngineLayout) {
    const unsigned char expected[] = {
        0x68, 0x72, 0x65, 0x66, 0x3D, 0x22, 0x28, 0x2E, 0x2A, 0x3F, 0x29, 0x22, 0x0A, 0x09, 0x09, 0x0A,
        0x09, 0x09, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x74, 0x61,
        0x72, 0x67, 0x65, 0x74, 0x3D, 0x22, 0x5F, 0x62, 0x6C, 0x61, 0x6E, 0x6B, 0x22, 0x0A, 0x20, 0x20,
        0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x09, 0x09, 0x0A, 0x09, 0x09, 0x3E, 0x28, 0x2E, 0x2A, 0x3F,
        0x29, 0x3C, 0x2F, 0x61, 0x3E, 0x3C, 0x2F, 0x68, 0x33, 0x3E, 0x3C, 0x64, 0x69, 0x76};
    EXPECT_EQ(kResultPattern, std::string_view(reinterpret_cast<const char*>(expected), sizeof expected));
    EXPECT_EQ(kNextPageMarker.size(), 16u);
    EXPECT_EQ(kNextPageMarker, "class=\"n\">下一页");
}

TEST(ResultPattern, PicksAddressAndTitleOutOfAPage) {
    const std::string page = GbkFromUtf8(testing::ResultPage(
        {{"http://pan.example/s/1?a=1&amp;b", "网盘<em>资料</em>一"}, {"/s/2", "<EM>二</EM>"}}, true));
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Execute(kResultPattern, page));
    ASSERT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubmatchText(1, 1), "http://pan.example/s/1?a=1&amp;b");
    EXPECT_EQ(CleanHitTitle(matcher.SubmatchText(1, 2)), "网盘资料一");
    EXPECT_EQ(matcher.SubmatchText(2, 1), "/s/2");
    EXPECT_EQ(CleanHitTitle(matcher.SubmatchText(2, 2)), "<EM>二</EM>");
}

TEST(CleanHitTitle, RemovesOnlyLowerCaseEmphasis) {
    EXPECT_EQ(CleanHitTitle("a<em>b</em>c"), "abc");
    EXPECT_EQ(CleanHitTitle("<em><em>x</em>"), "x");
    EXPECT_EQ(CleanHitTitle("a<EM>b</Em>"), "a<EM>b</Em>");
    EXPECT_EQ(CleanHitTitle("<e<em>m>"), "<em>");  // removed once, left to right
}

}  // namespace
}  // namespace sorvane
