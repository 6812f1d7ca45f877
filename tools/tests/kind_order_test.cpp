#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/mkfileset/kind_order.h"

namespace {

TEST(KindOrder, KindIsTheLastPartsExtension) {
  const struct {
    const char* name;
    const char* kind;
  } cases[] = {
      {"a.png", "PNG"},
      {"tracks\\sand\\Sand.Png", "PNG"},
      {"music\\theme.music.ogg", "OGG"},
      {"data.d\\readme", ""},  // a dot in a folder's name is no extension
      {"textures\\.hidden", ""},
      {"trailing.", ""},
      {"noext", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(file_kind(c.name), c.kind) << c.name;
}

// Folders keep their place ahead of the files; files go by kind, letter case
// not counting, then by size, then by name, so copies of one texture in two
// tracks end up side by side.
TEST(KindOrder, FilesOfAKindAndSizeLieTogether) {
  TreeScan scan;
  const auto add = [&scan](std::string name, bool folder, std::int64_t size) {
    scan.entries.push_back({std::move(name), {}, folder, size});
  };
  add("b", true, -1);
  add("a", true, -1);
  add("z.xml", false, 10);
  add("b\\grass.png", false, 500);
  add("a\\Grass.PNG", false, 500);
  add("a\\sky.png", false, 90);
  add("readme", false, 3);
  add("b\\track.xml", false, 10);
  add("a\\empty.png", false, 0);
  order_by_kind(scan);
  std::vector<std::string> names;
  for (const ScannedEntry& e : scan.entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "readme", "a\\empty.png", "a\\sky.png", "a\\Grass.PNG",
                                             "b\\grass.png", "b\\track.xml", "z.xml"}));
}

}  // namespace
