// Text runtime: operations on GBK (code page 936) byte strings.
//
// Positions are 1-based byte positions and a failed search gives -1. A match
// never starts on the trail byte of a double-byte character, and splitting
// never cuts one. Only ASCII letters take part in case folding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// A text: GBK bytes. Bytes: raw bytes that may hold zeros (page bodies).
using Text = std::string;
using Bytes = std::string;

// True for a byte that starts a double-byte GBK character.
constexpr bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Byte length of the character starting at `pos` (1 or 2; 1 for a lead byte
// with nothing after it).
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// Position of `part` in `text` at or after `start`, or -1. An empty part is
// found at `start` when that lies within the text.
int TextFind(std::string_view text, std::string_view part, int start = 1,
             bool ignoreCase = false);

// Every occurrence of `part` replaced, left to right, without rescanning the
// inserted text.
Text TextReplaceAll(std::string_view text, std::string_view part,
                    std::string_view replacement, bool ignoreCase = false);

// One piece before every separator (empty ones included), then the rest after
// the last separator when it is not empty. An empty text gives no pieces.
std::vector<Text> TextSplit(std::string_view text, std::string_view separator);

// Integers in decimal, fractions as "%.13g" (24.0 gives "24").
Text NumberToText(double value);
Text NumberToText(long long value);
inline Text NumberToText(int value) { return NumberToText(static_cast<long long>(value)); }

// The leading decimal number (optional spaces, sign, digits, fraction); 0 when
// the text does not start with one.
double TextToNumber(std::string_view text);

// A byte as upper-case hexadecimal without leading zeros ("%X").
Text ByteToHex(unsigned char byte);

int TextLength(std::string_view text);
Text TextLeft(std::string_view text, int count);
Text TextRight(std::string_view text, int count);
// `count` bytes from 1-based `start`.
Text TextMiddle(std::string_view text, int start, int count);

// Spaces are the ASCII space and the ideographic space A1 A1.
Text TextTrim(std::string_view text);
Text TextRemoveSpaces(std::string_view text);
Text TextLower(std::string_view text);

// A code below 256 gives one byte; a larger one its two bytes, high first.
Text CharFromCode(int code);

// Negative, zero or positive as `a` sorts before, equal to or after `b`.
int TextCompare(std::string_view a, std::string_view b, bool ignoreCase = false);

// The bytes up to (not including) the first zero byte.
Text BytesToText(std::string_view bytes);

bool TextEndsWith(std::string_view text, std::string_view tail);

}  // namespace sorvane
