// The window preferences the host asks for.

#include "support/nux_preferences.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(NuxPreferences, TheFixedValues) {
  const std::vector<std::int32_t> got = {NUX_getStackSize(),          NUX_getMdiMode(),
                                         NUX_getShowMaximized(),      NUX_promptSaveOnExit(),
                                         NUX_getMainWindowWidth(),    NUX_getMainWindowHeight(),
                                         NUX_getMdiTextWindowWidth(), NUX_getMdiTextWindowHeight(),
                                         NUX_defaultFontSize(),       NUX_autoSave(),
                                         NUX_closeOnProgramFinish(),  NUX_showDefaultOutputWindow()};
  EXPECT_EQ(got, (std::vector<std::int32_t>{33554432, 0, 0, 1, 340, 700, 255, 525, 10, 0, 1, 1}));
  // Three quarters of the main size, truncated: 255.75 gives 255.
  EXPECT_EQ(qx::nux_text_window_size(341), 255);
}

TEST(NuxPreferences, FontFamilyIntoAnyLength) {
  const std::string untouched(32, '#');
  struct Case {
    int length;
    std::string buffer;  // all 32 characters afterwards
  };
  const Case cases[] = {
      {30, "Monaco" + std::string(24, ' ') + "##"}, {4, "Mona" + untouched.substr(4)}, {0, untouched}, {-5, untouched}};
  for (const auto& c : cases) {
    std::string buf = untouched;
    NUX_defaultFontFamily(buf.data(), c.length);
    EXPECT_EQ(buf, c.buffer) << c.length;
  }
}

}  // namespace
