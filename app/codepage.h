// Conversions between the program's GBK texts, UTF-16 and UTF-8.
//
// Code page 936 is always named explicitly, never the system's ANSI page, so
// Chinese text survives whatever locale the system runs under.
#pragma once

#include <string>
#include <string_view>

namespace sorvane {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WideFromGbk(std::string_view gbk);
// A character that code page 936 lacks becomes the default character.
std::string GbkFromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

std::string Utf8FromGbk(std::string_view gbk);
std::string GbkFromUtf8(std::string_view utf8);

}  // namespace sorvane
