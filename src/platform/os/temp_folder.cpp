#include "platform/os/temp_folder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/files.h"

namespace vandrel::os {

namespace {

bool fail(std::string* error, const std::string& path, int err) {
  if (error) *error = "Каталог «" + path + "» недоступен: " + describeError(err);
  return false;
}

}  // namespace

bool snapshotFolder(std::string* folder, std::string* error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp && *tmp) ? tmp : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();

  // The shared folder may be used by several users, like the temporary
  // directory itself: anyone may add a folder, nobody may remove another's.
  const std::string shared = base + "/v21_tmp";
  if (::mkdir(shared.c_str(), 0777) == 0)
    ::chmod(shared.c_str(), 01777);
  else if (errno != EEXIST)
    return fail(error, shared, errno);

  const std::string own = shared + "/" + std::to_string(::getpid());
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return fail(error, own, errno);
  // Only a real folder of our own (not a link someone left there) takes snapshots.
  struct stat info;
  if (::lstat(own.c_str(), &info) != 0) return fail(error, own, errno);
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return fail(error, own, EACCES);

  *folder = own;
  return true;
}

}  // namespace vandrel::os

namespace vandrel::os {

void removeSnapshotFolder() {
  std::string folder;
  if (!snapshotFolder(&folder, nullptr)) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace vandrel::os
