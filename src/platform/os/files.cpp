#include "platform/os/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vandrel::os {

namespace {
void setError(std::string* error, const std::string& path, int err) {
  if (error) *error = "'" + path + "': " + std::strerror(err);
}
}  // namespace

bool readFile(const std::string& path, std::size_t maxBytes, std::string* contents,
              std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    setError(error, path, errno);
    return false;
  }
  std::string data;
  char buffer[65536];
  while (data.size() < maxBytes) {
    std::size_t want = std::min(sizeof buffer, maxBytes - data.size());
    std::size_t got = std::fread(buffer, 1, want, f);
    data.append(buffer, got);
    if (got < want) break;
  }
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) {
    setError(error, path, err ? err : EIO);
    return false;
  }
  *contents = std::move(data);
  return true;
}

bool writeFile(const std::string& path, std::string_view data, std::string* error) {
  std::string temporary = path + ".tmp" + std::to_string(::getpid());
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    setError(error, path, errno);
    return false;
  }
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  int err = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    std::remove(temporary.c_str());
    setError(error, path, err ? err : EIO);
  }
  return ok;
}

}  // namespace vandrel::os
