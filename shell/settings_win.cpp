// PLACEHOLDER until settings persistence lands; replaced whole by it.
#include "shell/commands_win.h"
void loadSettings() {}
void saveSettings() {}
