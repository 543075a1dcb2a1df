// The house's floors: a folder includes only folders below it (or beside it, one
// way), no two folders include each other, and only the editor wing and the thin
// layer under it include Qt, so the core builds and runs without it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace vandrel::test {
namespace {

namespace fs = std::filesystem;

// Lower floors first; folders of one floor may include each other one way only.
const std::map<std::string, int> kFloors = {
    {"platform/os", 0}, {"platform/gfx", 0}, {"texgen", 1}, {"scene", 1}, {"materials", 1},
    {"geometry", 2},    {"render", 3},       {"texedit", 3}, {"pack", 4},  {"export", 4},
    {"platform/ui", 5}, {"editor", 6},       {"app", 7}};

std::string folderOf(const fs::path& relative) {
  auto part = relative.begin();
  const std::string first = part->string();
  if (first == "platform") return first + "/" + (++part)->string();
  return first;
}

struct Include {
  std::string from, to, file;
};

std::vector<Include> includes(bool* qtOutsideTheWing, std::string* qtFile) {
  const fs::path src = fs::path(VANDREL_SOURCE_DIR) / "src";
  const std::regex line(R"(^\s*#\s*include\s*[<"]([^">]+)[">])");
  std::vector<Include> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), src);
    const std::string from = folderOf(relative);
    std::ifstream in(entry.path());
    for (std::string text; std::getline(in, text);) {
      std::smatch m;
      if (!std::regex_search(text, m, line)) continue;
      const std::string target = m[1];
      if (target.size() > 1 && target[0] == 'Q' && std::isupper(static_cast<unsigned char>(target[1])) &&
          from != "editor" && from != "platform/ui") {
        *qtOutsideTheWing = true;
        *qtFile = relative.string();
      }
      if (fs::exists(src / target)) {
        const std::string to = folderOf(fs::path(target));
        if (to != from) found.push_back({from, to, relative.string() + " includes " + target});
      }
    }
  }
  return found;
}

TEST(Floors, NoIncludeRunsUpAFloorNoFoldersIncludeEachOtherAndTheCoreHasNoQt) {
  bool qt = false;
  std::string qtFile;
  const std::vector<Include> all = includes(&qt, &qtFile);
  EXPECT_FALSE(qt) << qtFile << " includes Qt outside the editor wing";
  ASSERT_FALSE(all.empty());
  std::set<std::pair<std::string, std::string>> edges;
  for (const Include& i : all) {
    ASSERT_TRUE(kFloors.count(i.from) && kFloors.count(i.to)) << "a folder without a floor: " << i.file;
    EXPECT_LE(kFloors.at(i.to), kFloors.at(i.from)) << i.file << " runs up a floor";
    edges.insert({i.from, i.to});
  }
  for (const auto& [from, to] : edges) EXPECT_FALSE(edges.count({to, from})) << from << " and " << to << " include each other";
}

}  // namespace
}  // namespace vandrel::test
