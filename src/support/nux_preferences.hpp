#pragma once
// Window preferences the host asks for: plain C names, fixed values.
// Booleans are 32-bit: 1 for true, 0 for false.

#include <cstdint>

namespace qx {
// A text window's size from a main window's: three quarters, truncated.
std::int32_t nux_text_window_size(std::int32_t main_size);
}  // namespace qx

extern "C" {
std::int32_t NUX_getStackSize();
std::int32_t NUX_getMdiMode();
std::int32_t NUX_getShowMaximized();
std::int32_t NUX_promptSaveOnExit();
std::int32_t NUX_getMainWindowWidth();
std::int32_t NUX_getMainWindowHeight();
std::int32_t NUX_getMdiTextWindowWidth();
std::int32_t NUX_getMdiTextWindowHeight();
std::int32_t NUX_defaultFontSize();
// Fills the host's buffer of length characters with the font family,
// blank-padded or cut; a length of 0 or less writes nothing.
void NUX_defaultFontFamily(char* result, std::int32_t length);
std::int32_t NUX_autoSave();
std::int32_t NUX_closeOnProgramFinish();
std::int32_t NUX_showDefaultOutputWindow();
}
