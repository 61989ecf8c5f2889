#include "app/automation.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

class Automation : public testing::Test {
protected:
    ComThreadInit com_;
};

TEST_F(Automation, UnknownProgramIdentifierGivesAnEmptyObjectThatAnswersEmpty) {
    for (const char* id : {"Sorvane.NoSuchObject", "", "{not a class}"}) {
        const AutomationObject object = AutomationObject::Create(id);
        EXPECT_TRUE(object.IsEmpty()) << id;
        EXPECT_FALSE(object.SetProperty("Pattern", "a"));
        EXPECT_EQ(object.PropertyText("Pattern"), "");
        EXPECT_EQ(object.PropertyNumber("Count"), 0);
        EXPECT_TRUE(object.PropertyObject("SubMatches").IsEmpty());
        EXPECT_TRUE(object.Call("Execute", {"a"}).IsEmpty());
        EXPECT_EQ(object.CallText("Replace", {"a", "b"}), "");
    }
}

TEST_F(Automation, PropertiesByName) {
    const AutomationObject regexp = AutomationObject::Create("VBScript.RegExp");
    ASSERT_FALSE(regexp.IsEmpty());
    EXPECT_TRUE(regexp.SetProperty("Pattern", "网盘\\d+"));
    EXPECT_EQ(regexp.PropertyText("Pattern"), "网盘\\d+");
    EXPECT_TRUE(regexp.SetProperty("Global", true));
    EXPECT_EQ(regexp.PropertyText("Global"), "True");
    EXPECT_EQ(regexp.PropertyNumber("Global"), -1);
    EXPECT_FALSE(regexp.SetProperty("Singleline", true));
    EXPECT_EQ(regexp.PropertyText("Singleline"), "");
    EXPECT_TRUE(regexp.PropertyObject("Pattern").IsEmpty());  // a text is not an object
}

TEST_F(Automation, MethodsGiveObjectsAndText) {
    const AutomationObject regexp = AutomationObject::Create("VBScript.RegExp");
    regexp.SetProperty("Pattern", "(\\d)");
    regexp.SetProperty("Global", true);
    const AutomationObject matches = regexp.Call("Execute", {"甲1乙22"});
    ASSERT_FALSE(matches.IsEmpty());
    EXPECT_EQ(matches.PropertyNumber("Count"), 3);
    const AutomationObject third = matches.Call("Item", {2});
    EXPECT_EQ(third.PropertyText("Value"), "2");
    EXPECT_EQ(third.PropertyNumber("FirstIndex"), 4);  // UTF-16 units, not bytes
    EXPECT_EQ(third.PropertyObject("SubMatches").CallText("Item", {0}), "2");
    EXPECT_EQ(regexp.CallText("Replace", {"甲1乙22", "<$1>"}), "甲<1>乙<2><2>");
    EXPECT_EQ(regexp.CallNumber("Test", {"x9"}), -1);

    EXPECT_TRUE(matches.Call("Item", {3}).IsEmpty());
    EXPECT_TRUE(regexp.Call("NoSuchMethod").IsEmpty());
    EXPECT_TRUE(regexp.Call("Execute").IsEmpty());  // argument missing
}

TEST_F(Automation, CopiesShareTheObjectAndClearIndependently) {
    AutomationObject first = AutomationObject::Create("VBScript.RegExp");
    AutomationObject second = first;
    ASSERT_EQ(second.Get(), first.Get());
    second.SetProperty("Pattern", "shared");
    EXPECT_EQ(first.PropertyText("Pattern"), "shared");
    second.Clear();
    EXPECT_TRUE(second.IsEmpty());
    EXPECT_EQ(first.PropertyText("Pattern"), "shared");
    AutomationObject moved = std::move(first);
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(moved.PropertyText("Pattern"), "shared");
    moved = moved;
    EXPECT_EQ(moved.PropertyText("Pattern"), "shared");
}

}  // namespace
}  // namespace sorvane
