#include "engine/overwrite.h"

#include <gtest/gtest.h>

#include <string>

TEST(OverwriteQuestion, FirstLineWithItsBreakIsCutAt255) {
  // 246 + "The file" = 254: the line and its CR fit, the LF is cut.
  const std::string path(246, 'p');
  const std::string text = overwrite_question(false, path);
  EXPECT_EQ(text.substr(0, 255), "The file" + path + "\r");
  EXPECT_EQ(text.substr(255, 16), "already exists. ");

  // A line that fits with its break is left alone.
  const std::string shorter(245, 'p');
  EXPECT_EQ(overwrite_question(false, shorter).substr(0, 255), "The file" + shorter + "\r\n");

  // A path of 255 characters loses its tail and both line-break characters.
  const std::string longest(255, 'q');
  const std::string cut = overwrite_question(true, longest);
  EXPECT_EQ(cut.substr(0, 255), "Die Datei" + std::string(246, 'q'));
  EXPECT_EQ(cut.substr(255, 10), "existiert ");
}
