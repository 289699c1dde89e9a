#include "support/resource_counts_win.h"

namespace gui {

ResourceCounts resourceCounts() {
    ResourceCounts c;
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &c.handles);
    if (c.gdi != 0 && c.user != 0 && c.handles != 0) return c;

    c = ResourceCounts{};
    c.probed = true;
    const DWORD self = GetCurrentProcessId();
    for (ULONG_PTR i = 1; i < 0x10000; ++i) {
        void* h = reinterpret_cast<void*>(i);
        // Regions are left out: Wine keeps the visible and update regions of
        // its device contexts as GDI regions of the process, which come and go
        // with painting.
        const DWORD type = GetObjectType(static_cast<HGDIOBJ>(h));
        if (type != 0 && type != OBJ_REGION) ++c.gdi;
        HWND window = static_cast<HWND>(h);
        DWORD pid = 0;
        if (IsWindow(window) && GetWindowThreadProcessId(window, &pid) != 0 && pid == self) ++c.user;
        if (IsMenu(static_cast<HMENU>(h))) ++c.user;
    }
    DWORD flags = 0;
    for (ULONG_PTR i = 4; i < (1u << 18); i += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(i), &flags)) ++c.handles;
    }
    return c;
}

}  // namespace gui
