// Shutdown: the settings written, every handle, buffer and list released.
#pragma once

// Saves the settings (when asked) and releases every handle, buffer and list.
void releaseResources(int storeSettings);
