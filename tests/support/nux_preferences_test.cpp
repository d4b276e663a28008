// The window preferences the host asks for.

#include <gtest/gtest.h>

#include <string>

#include "support/nux_preferences.hpp"

namespace {

TEST(NuxPreferences, TheThirteenValues) {
  EXPECT_EQ(NUX_getStackSize(), 33554432);
  EXPECT_EQ(NUX_getMdiMode(), 0);
  EXPECT_EQ(NUX_getShowMaximized(), 0);
  EXPECT_EQ(NUX_promptSaveOnExit(), 1);
  EXPECT_EQ(NUX_getMainWindowWidth(), 340);
  EXPECT_EQ(NUX_getMainWindowHeight(), 700);
  EXPECT_EQ(NUX_getMdiTextWindowWidth(), 255);
  EXPECT_EQ(NUX_getMdiTextWindowHeight(), 525);
  EXPECT_EQ(NUX_defaultFontSize(), 10);
  char family[30];
  NUX_defaultFontFamily(family, 30);
  EXPECT_EQ(std::string(family, 30), "Monaco                        ");
  EXPECT_EQ(NUX_autoSave(), 0);
  EXPECT_EQ(NUX_closeOnProgramFinish(), 1);
  EXPECT_EQ(NUX_showDefaultOutputWindow(), 1);
}

TEST(NuxPreferences, FontFamilyIntoAnyLength) {
  struct Case {
    int length;
    const char* result;  // the whole buffer of 8 afterwards
  };
  const Case cases[] = {
      {8, "Monaco  "}, {6, "Monaco##"}, {4, "Mona####"}, {1, "M#######"}, {0, "########"}, {-5, "########"},
  };
  for (const auto& c : cases) {
    char buf[8];
    std::fill(buf, buf + 8, '#');
    NUX_defaultFontFamily(buf, c.length);
    EXPECT_EQ(std::string(buf, 8), c.result) << c.length;
  }
}

TEST(NuxPreferences, TextWindowSizeIsThreeQuartersTruncated) {
  EXPECT_EQ(qx::nux_text_window_size(341), 255);  // 255.75
  EXPECT_EQ(qx::nux_text_window_size(340), 255);
  EXPECT_EQ(qx::nux_text_window_size(700), 525);
  EXPECT_EQ(qx::nux_text_window_size(3), 2);      // 2.25
  EXPECT_EQ(qx::nux_text_window_size(1), 0);
  EXPECT_EQ(qx::nux_text_window_size(-3), -2);    // toward zero
}

}  // namespace
