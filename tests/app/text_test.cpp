#include "app/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/codepage.h"
#include "app/files.h"

namespace sorvane {
namespace {

TEST(Literals, AreCompiledAsGbk) {
    EXPECT_EQ(std::string("class=\"n\">下一页").size(), 16u);
    const std::string expected = "\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6\xA3\xA1";
    EXPECT_EQ(std::string("请输入关键字！"), expected);
}

TEST(TextFind, PositionsAreOneBasedAndNeverStartOnATrailByte) {
    struct Case {
        const char* text;
        const char* part;
        int start;
        bool ignoreCase;
        int expected;
    };
    // "\xB0\x41" is one double-byte character whose trail byte is 'A'.
    const Case cases[] = {
        {"abcabc", "c", 1, false, 3},
        {"abcabc", "c", 4, false, 6},
        {"abcabc", "C", 1, false, -1},
        {"abcabc", "C", 1, true, 3},
        {"\xB0\x41" "A", "A", 1, false, 3},
        {"\xB0\x41" "a", "A", 1, true, 3},
        {"\xB0\x61", "A", 1, true, -1},
        {"网盘", "\xF8\xC5", 1, false, -1},  // trail of 网 + lead of 盘
        {"网盘", "盘", 1, false, 3},
        {"abc", "", 2, false, 2},
        {"abc", "d", 1, false, -1},
        {"abc", "c", 9, false, -1},
        {"", "a", 1, false, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextFind(c.text, c.part, c.start, c.ignoreCase), c.expected)
            << c.text << " / " << c.part;
}

TEST(TextSplit, KeepsInnerEmptyPiecesAndDropsTheTrailingOne) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(TextSplit("a;b", ";"), (Pieces{"a", "b"}));
    EXPECT_EQ(TextSplit("a;;b", ";"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(TextSplit("a;", ";"), (Pieces{"a"}));
    EXPECT_EQ(TextSplit(";a", ";"), (Pieces{"", "a"}));
    EXPECT_EQ(TextSplit(";", ";"), (Pieces{""}));
    EXPECT_EQ(TextSplit("", ";"), Pieces{});
    EXPECT_EQ(TextSplit("x.N.*host", ".N.*"), (Pieces{"x", "host"}));
    // 0x3B (";") never occurs as a GBK trail byte, but 0x5C ("\") does.
    EXPECT_EQ(TextSplit("\x81\x5C" "\\b", "\\"), (Pieces{"\x81\x5C", "b"}));
}

TEST(TextReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(TextReplaceAll("a<em>b</em>c", "<em>", ""), "ab</em>c");
    EXPECT_EQ(TextReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(TextReplaceAll("<EM>x", "<em>", ""), "<EM>x");
    EXPECT_EQ(TextReplaceAll("<EM>x", "<em>", "", true), "x");
    EXPECT_EQ(TextReplaceAll("\\\\a\\\\\\b", "\\\\", "\\"), "\\a\\\\b");
    EXPECT_EQ(TextReplaceAll("abc", "", "x"), "abc");
}

TEST(Numbers, ToAndFromText) {
    EXPECT_EQ(NumberToText(24.0), "24");
    EXPECT_EQ(NumberToText(0.5), "0.5");
    EXPECT_EQ(NumberToText(1.0 / 3), "0.3333333333333");
    EXPECT_EQ(NumberToText(-7), "-7");
    EXPECT_EQ(NumberToText(2147483647), "2147483647");
    EXPECT_EQ(TextToNumber("24.N.*"), 24);
    EXPECT_EQ(TextToNumber(" -3.5x"), -3.5);
    EXPECT_EQ(TextToNumber("abc"), 0);
    EXPECT_EQ(TextToNumber(""), 0);
    EXPECT_EQ(TextToNumber("0x10"), 0);
    EXPECT_EQ(ByteToHex(0x0A), "A");
    EXPECT_EQ(ByteToHex(0xE7), "E7");
}

TEST(TextPieces, LeftRightMiddleTrimAndCase) {
    EXPECT_EQ(TextLeft("abcdef", 2), "ab");
    EXPECT_EQ(TextLeft("ab", 9), "ab");
    EXPECT_EQ(TextRight("abcdef", 2), "ef");
    EXPECT_EQ(TextMiddle("abcdef", 2, 3), "bcd");
    EXPECT_EQ(TextMiddle("abc", 4, 1), "");
    EXPECT_EQ(TextTrim("  \xA1\xA1" "a b\xA1\xA1 "), "a b");
    EXPECT_EQ(TextTrim("\t a \r"), "\t a \r");
    // The last A1 A1 here is the trail of one character and the lead of the next.
    EXPECT_EQ(TextTrim("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    EXPECT_EQ(TextRemoveSpaces(" a \xA1\xA1" "b "), "ab");
    EXPECT_EQ(TextLower("AbC\xB0\x41"), "abc\xB0\x41");
    EXPECT_EQ(CharFromCode(65), "A");
    EXPECT_EQ(CharFromCode(0xCDF8), "网");
    EXPECT_LT(TextCompare("a", "b"), 0);
    EXPECT_EQ(TextCompare("ABC", "abc", true), 0);
    EXPECT_GT(TextCompare("abc", "ab"), 0);
    EXPECT_EQ(BytesToText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(TextLength("网盘"), 4);
}

TEST(CodePage, ConvertsThroughCodePage936WhateverTheLocale) {
    EXPECT_EQ(WideFromGbk("网盘"), L"\u7F51\u76D8");
    EXPECT_EQ(GbkFromWide(L"\u7F51\u76D8"), "网盘");
    EXPECT_EQ(Utf8FromGbk("网盘"), "\xE7\xBD\x91\xE7\x9B\x98");
    EXPECT_EQ(GbkFromUtf8("\xE7\xBD\x91\xE7\x9B\x98 a"), "网盘 a");
    EXPECT_EQ(GbkFromUtf8("\xF0\x9F\x98\x80"), "??");  // outside code page 936
    EXPECT_EQ(Utf8FromGbk(""), "");
}

TEST(Files, ReadWriteAndReplace) {
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    const std::string path = GbkFromWide(folder) + "sorvane 文件测试.bin";
    const std::string bytes("a\0b\r\n网", 7);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    EXPECT_EQ(ReadWholeFile(path), bytes);
    ASSERT_TRUE(ReplaceFileAtomically(path, "new"));
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(ReadWholeFile(path + ".saving"), "");
    DeleteFileW(WideFromGbk(path).c_str());
    EXPECT_EQ(ReadWholeFile(path), "");
    EXPECT_FALSE(WriteWholeFile(GbkFromWide(folder) + "no such folder\\x.txt", "x"));
    EXPECT_FALSE(WriteWholeFile(GbkFromWide(folder) + "bad?name.txt", "x"));
    EXPECT_FALSE(ProgramDirectory().empty());
    EXPECT_NE(ProgramDirectory().back(), '\\');
}

}  // namespace
}  // namespace sorvane
