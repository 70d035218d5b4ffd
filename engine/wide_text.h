#pragma once
#include <string>
#include <type_traits>

// Text is held as UTF-16 code units on every platform: wchar_t where it is 16 bits wide (Windows),
// so the W functions take it as it is, and char16_t elsewhere, so lengths count the same everywhere.
using WideChar = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;
using WideString = std::basic_string<WideChar>;

// A carriage return or a line feed ends a piece of the text.
constexpr bool IsLineBreak(char32_t unit) { return unit == u'\r' || unit == u'\n'; }

// The two halves of a pair that encodes a character beyond U+FFFF.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Copies UTF-16 code units into a WideString (for literals written as u"...").
inline WideString ToWide(std::u16string_view units) {
    return WideString(units.begin(), units.end());
}
