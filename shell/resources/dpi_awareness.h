// The manifest's DPI awareness: each monitor's DPI (Windows 10 1607 on: PerMonitorV2; 8.1: true/pm;
// 7: the system's). Shared with the end-to-end runs' reference strips, which must draw at the DPI the
// strip draws at.
#pragma once

#define DPI_AWARENESS_SETTINGS \
    "  <application xmlns=""urn:schemas-microsoft-com:asm.v3""><windowsSettings>\n" \
    "    <dpiAware xmlns=""http://schemas.microsoft.com/SMI/2005/WindowsSettings"">true/pm</dpiAware>\n" \
    "    <dpiAwareness xmlns=""http://schemas.microsoft.com/SMI/2016/WindowsSettings"">PerMonitorV2, PerMonitor</dpiAwareness>\n" \
    "  </windowsSettings></application>\n"
