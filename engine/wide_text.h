#pragma once
#include <string>
#include <type_traits>

// Text is held as UTF-16 code units on every platform: wchar_t where it is 16 bits wide (Windows),
// so the W functions take it as it is, and char16_t elsewhere, so lengths count the same everywhere.
using WideChar = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;
using WideString = std::basic_string<WideChar>;

// Copies UTF-16 code units into a WideString (for literals written as u"...").
inline WideString ToWide(std::u16string_view units) {
    return WideString(units.begin(), units.end());
}
