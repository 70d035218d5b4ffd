#pragma once
#include <string>

#include "wide_text.h"

// Test texts are written as u"..." literals and compared as WideString.
inline WideString W(std::u16string_view units) { return ToWide(units); }
