#include "app/codepage.h"

#include <windows.h>

namespace sorvane {
namespace {

std::wstring ToWide(unsigned codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), n);
    return out;
}

std::string FromWide(unsigned codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) { return ToWide(kGbkCodePage, gbk); }
std::string GbkFromWide(std::wstring_view wide) { return FromWide(kGbkCodePage, wide); }
std::wstring WideFromUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string Utf8FromWide(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }
std::string Utf8FromGbk(std::string_view gbk) { return Utf8FromWide(WideFromGbk(gbk)); }
std::string GbkFromUtf8(std::string_view utf8) { return GbkFromWide(WideFromUtf8(utf8)); }

}  // namespace sorvane
