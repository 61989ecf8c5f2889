#include "app/text.h"

#include <cstdio>
#include <algorithm>
#include <cmath>

namespace sorvane {
namespace {

constexpr unsigned char kIdeographicSpaceByte = 0xA1;

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Compares `part` against `text` at `pos`; letters fold only where the byte is
// a single-byte character of `text` (never a trail byte).
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view part,
               bool ignoreCase) {
    if (pos + part.size() > text.size()) return false;
    bool trail = false;
    for (std::size_t j = 0; j < part.size(); ++j) {
        const auto t = static_cast<unsigned char>(text[pos + j]);
        const auto p = static_cast<unsigned char>(part[j]);
        if (trail) {
            if (t != p) return false;
            trail = false;
            continue;
        }
        if (IsGbkLeadByte(t)) {
            if (t != p) return false;
            trail = true;
            continue;
        }
        if (ignoreCase ? FoldAscii(t) != FoldAscii(p) : t != p) return false;
    }
    return true;
}

bool IsSpaceAt(std::string_view text, std::size_t pos) {
    if (text[pos] == ' ') return true;
    return pos + 1 < text.size() &&
           static_cast<unsigned char>(text[pos]) == kIdeographicSpaceByte &&
           static_cast<unsigned char>(text[pos + 1]) == kIdeographicSpaceByte;
}

std::size_t FindFrom(std::string_view text, std::string_view part, std::size_t from,
                     bool ignoreCase) {
    for (std::size_t i = 0; i <= text.size(); i += GbkCharLength(text, i)) {
        if (i >= from && MatchesAt(text, i, part, ignoreCase)) return i;
        if (i == text.size()) break;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 1;
    if (IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return 2;
    return 1;
}

int TextFind(std::string_view text, std::string_view part, int start, bool ignoreCase) {
    if (start < 1) start = 1;
    const auto from = static_cast<std::size_t>(start - 1);
    if (from > text.size() || (part.empty() && from >= text.size())) return -1;
    const std::size_t found = FindFrom(text, part, from, ignoreCase);
    return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

Text TextReplaceAll(std::string_view text, std::string_view part,
                    std::string_view replacement, bool ignoreCase) {
    if (part.empty()) return Text(text);
    Text out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, part, ignoreCase)) {
            out.append(replacement);
            i += part.size();
        } else {
            const std::size_t n = GbkCharLength(text, i);
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::vector<Text> TextSplit(std::string_view text, std::string_view separator) {
    std::vector<Text> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t begin = 0;
    for (;;) {
        const std::size_t at = FindFrom(text, separator, begin, false);
        if (at == std::string_view::npos) break;
        pieces.emplace_back(text.substr(begin, at - begin));
        begin = at + separator.size();
    }
    if (begin < text.size()) pieces.emplace_back(text.substr(begin));
    return pieces;
}

Text NumberToText(long long value) { return std::to_string(value); }

Text NumberToText(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return NumberToText(static_cast<long long>(value));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return buffer;
}

double TextToNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value += (text[i++] - '0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    if (!digits) return 0;
    return negative ? -value : value;
}

Text ByteToHex(unsigned char byte) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(byte));
    return buffer;
}

int TextLength(std::string_view text) { return static_cast<int>(text.size()); }

Text TextLeft(std::string_view text, int count) {
    if (count <= 0) return {};
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text TextRight(std::string_view text, int count) {
    if (count <= 0) return {};
    const auto n = std::min(text.size(), static_cast<std::size_t>(count));
    return Text(text.substr(text.size() - n));
}

Text TextMiddle(std::string_view text, int start, int count) {
    if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
    return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

Text TextTrim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpaceAt(text, begin)) begin += text[begin] == ' ' ? 1 : 2;
    // Walk forward so the end is found on character boundaries.
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        const std::size_t n = IsSpaceAt(text, i) ? (text[i] == ' ' ? 1 : 2) : GbkCharLength(text, i);
        if (!IsSpaceAt(text, i)) end = i + n;
        i += n;
    }
    return Text(text.substr(begin, end - begin));
}

Text TextRemoveSpaces(std::string_view text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (IsSpaceAt(text, i)) {
            i += text[i] == ' ' ? 1 : 2;
            continue;
        }
        const std::size_t n = GbkCharLength(text, i);
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

Text TextLower(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size(); i += GbkCharLength(out, i))
        out[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(out[i])));
    return out;
}

Text CharFromCode(int code) {
    if (code >= 0 && code < 256) return Text(1, static_cast<char>(code));
    Text out;
    out += static_cast<char>((code >> 8) & 0xFF);
    out += static_cast<char>(code & 0xFF);
    return out;
}

int TextCompare(std::string_view a, std::string_view b, bool ignoreCase) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (ignoreCase) {
            x = FoldAscii(x);
            y = FoldAscii(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

Text BytesToText(std::string_view bytes) {
    const std::size_t zero = bytes.find('\0');
    return Text(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

bool TextEndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace sorvane
