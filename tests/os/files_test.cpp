// Reading whole files, and saving as a careful editor saves.

#include "platform/os/files.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/scratch_folder.h"

namespace vandrel::os {
namespace {

namespace fs = std::filesystem;

class Files : public app::test::ScratchFolderTest {
 protected:
  std::string read(const std::string& p, bool* ok = nullptr) {
    std::string text, error;
    const bool done = readFile(p, &text, &error);
    if (ok) *ok = done;
    return done ? text : error;
  }
  static mode_t modeOf(const std::string& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode;
  }
};

// Files of any size the program writes come whole; what is not a regular file is
// refused at once instead of waiting for a writer that never comes.
TEST_F(Files, ReadsWholeFilesAndRefusesWhatIsNotOne) {
  const std::string big(1'300'000, 'x');
  bool ok = false;
  EXPECT_EQ(read(file("big.vsc", big + "end"), &ok).size(), big.size() + 3);
  EXPECT_TRUE(ok);
  std::string start;
  ASSERT_TRUE(readFileStart(path("big.vsc"), 10, &start, nullptr));
  EXPECT_EQ(start, "xxxxxxxxxx");

  ASSERT_EQ(::mkfifo(path("pipe.vsc").c_str(), 0600), 0);
  EXPECT_NE(read(path("pipe.vsc"), &ok).find("«" + path("pipe.vsc") + "»: это не обычный файл"), std::string::npos);
  EXPECT_FALSE(ok);
  EXPECT_NE(read("/dev/zero", &ok).find("не обычный файл"), std::string::npos);
  EXPECT_NE(read(dir_.string(), &ok).find("это каталог"), std::string::npos);
  EXPECT_NE(read(path("none.vsc"), &ok).find("нет такого файла"), std::string::npos);
  EXPECT_FALSE(ok);
}

// A save keeps the file's permissions, writes through a link into the file it
// points to, and follows no link planted where its new file is made.
TEST_F(Files, SavesKeepPermissionsAndLinksAndFollowNoPlantedOne) {
  std::string error;
  const std::string secret = file("secret.vsc", "old");
  ::chmod(secret.c_str(), 0600);
  ASSERT_TRUE(writeFile(secret, "new", &error)) << error;
  EXPECT_EQ(modeOf(secret) & 0777, 0600u);
  EXPECT_EQ(slurp(secret), "new");

  const std::string real = file("real.vsc", "old");
  fs::create_symlink("real.vsc", path("link.vsc"));
  ASSERT_TRUE(writeFile(path("link.vsc"), "through", &error)) << error;
  EXPECT_TRUE(S_ISLNK(modeOf(path("link.vsc"))));
  EXPECT_EQ(slurp(real), "through");

  // Links at the names a save used to write first.
  const std::string victim = file("victim.txt", "keep");
  for (const std::string& name : {"work.vsc.tmp" + std::to_string(::getpid()), std::string("work.vsc.tmp")})
    fs::create_symlink(victim, path(name));
  ASSERT_TRUE(writeFile(path("work.vsc"), "work", &error)) << error;
  EXPECT_EQ(slurp(victim), "keep");
  EXPECT_EQ(slurp(path("work.vsc")), "work");

  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.path().filename().string()[0] == '.';
  EXPECT_EQ(files, 0u) << "a new file was left behind";
}

// A full disk is told as such, and the file it was to replace stays whole.
TEST_F(Files, AFullDiskIsToldAndTheOldFileStaysWhole) {
  const std::string disk = path("disk");
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): the full-disk case is not tried";
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{disk};
  const std::string pack = disk + "/work.vsc";
  file("disk/work.vsc", "old pack");
  std::string error;
  EXPECT_FALSE(writeFile(pack, std::string(200'000, 'x'), &error));
  EXPECT_NE(error.find("«" + pack + "»: на устройстве не осталось места"), std::string::npos) << error;
  EXPECT_EQ(slurp(pack), "old pack");
  EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace vandrel::os
