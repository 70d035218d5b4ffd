#include <gtest/gtest.h>

#include "strip_dpi.h"

namespace {

// The font a DPI change replaces is deleted, or each move between monitors of other scales leaks one.
// Wine's GetGuiResources counts nothing; a deleted handle is no GDI object any more, a live one a font.
TEST(UseDpi, DeletesTheFontItReplaces) {
    UseDpi(144);
    const HFONT first = gScale.font;
    EXPECT_EQ(GetObjectType(first), DWORD{OBJ_FONT});
    UseDpi(192);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(gScale.font), DWORD{OBJ_FONT});
    ReleaseStripFont();
}

}  // namespace
