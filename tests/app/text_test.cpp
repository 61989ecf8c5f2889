#include "app/text.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(Literals, AreCompiledAsGbk) {
    EXPECT_EQ(std::string("class=\"n\">下一页").size(), 16u);
    const std::string expected = "\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6\xA3\xA1";
    EXPECT_EQ(std::string("请输入关键字！"), expected);
}

}  // namespace
}  // namespace sorvane
