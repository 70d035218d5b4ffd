// Resource identifiers, shared by the resource script and the program.
#pragma once

#include "command_ids.h"

// Strings
#define IDS_TITLE       103
#define IDS_CLASS       109

// Icons: one set of images serves both groups.
#define IDI_LARGE_ICON  107
#define IDI_SMALL_ICON  108

// Accelerators
#define IDA_KEYS        109

// Menus
#define IDR_STRIP_MENU  129
