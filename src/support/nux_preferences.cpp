#include "support/nux_preferences.hpp"

#include <span>

#include "platform/text.hpp"

std::int32_t qx::nux_text_window_size(std::int32_t main_size) {
  return static_cast<std::int32_t>(0.75f * static_cast<float>(main_size));
}

extern "C" {

std::int32_t NUX_getStackSize() { return 33554432; }
std::int32_t NUX_getMdiMode() { return 0; }
std::int32_t NUX_getShowMaximized() { return 0; }
std::int32_t NUX_promptSaveOnExit() { return 1; }
std::int32_t NUX_getMainWindowWidth() { return 340; }
std::int32_t NUX_getMainWindowHeight() { return 700; }
std::int32_t NUX_getMdiTextWindowWidth() { return qx::nux_text_window_size(NUX_getMainWindowWidth()); }
std::int32_t NUX_getMdiTextWindowHeight() { return qx::nux_text_window_size(NUX_getMainWindowHeight()); }
std::int32_t NUX_defaultFontSize() { return 10; }

void NUX_defaultFontFamily(char* result, std::int32_t length) {
  if (result == nullptr || length <= 0) return;
  qx::assign(std::span<char>(result, static_cast<std::size_t>(length)), "Monaco");
}

std::int32_t NUX_autoSave() { return 0; }
std::int32_t NUX_closeOnProgramFinish() { return 1; }
std::int32_t NUX_showDefaultOutputWindow() { return 1; }

}  // extern "C"
