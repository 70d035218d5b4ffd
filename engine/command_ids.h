// Command identifiers, shared by the engine's command table and the resource script (which can
// read only #defines). They start at 32771 because the resource editor numbers menu commands from
// 32768 on, above the 0..32767 range of control and resource identifiers.
#pragma once

#define ID_CLOSE      32771
#define ID_ALPHA_UP   32772
#define ID_ALPHA_DOWN 32773
#define ID_OPEN_FILE  32774
#define ID_WIDTH_UP   32775
#define ID_WIDTH_DOWN 32776

// Sent by the Alt+? and Alt+/ accelerators; no command answers it.
#define ID_ABOUT_KEY  104
