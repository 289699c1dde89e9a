// GDI and USER objects and kernel handles of this process, to show that long
// use leaks none. Needs nothing but the system (the benchmarks use it too).
#pragma once

#include <windows.h>

namespace gui {

struct ResourceCounts {
    DWORD gdi = 0, user = 0, handles = 0;
    bool probed = false;  // counted by probing, since the system does not count them
};

// GetGuiResources and GetProcessHandleCount where they count (Windows). Wine
// answers 0 to them, so there the handle spaces are probed: every live GDI
// object but a region answers GetObjectType, every window and menu of this
// process IsWindow or IsMenu, every kernel handle GetHandleInformation.
ResourceCounts resourceCounts();

}  // namespace gui
