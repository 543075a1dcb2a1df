#include "platform/os/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vandrel::os {

namespace {

enum class Doing { reading, writing };

void setError(std::string* error, const std::string& path, int err, Doing doing) {
  if (!error) return;
  *error = std::string(doing == Doing::reading ? "Не удалось прочитать файл «" : "Не удалось записать файл «") +
           path + "»: " + describeError(err);
}

}  // namespace

std::string describeError(int err) {
  switch (err) {
    case ENOENT: return "нет такого файла или каталога";
    case EACCES: return "нет прав доступа";
    case EPERM: return "операция не разрешена";
    case EISDIR: return "это каталог, а не файл";
    case ENOTDIR: return "часть пути не является каталогом";
    case ENOSPC: return "на устройстве не осталось места";
    case EDQUOT: return "превышена дисковая квота";
    case EROFS: return "файловая система доступна только для чтения";
    case EEXIST: return "файл уже существует";
    case EIO: return "ошибка ввода-вывода";
    case ENAMETOOLONG: return "слишком длинное имя файла";
    case ELOOP: return "слишком много символических ссылок";
    case EMFILE:
    case ENFILE: return "открыто слишком много файлов";
    case EFBIG: return "файл слишком велик";
    case EBUSY:
    case ETXTBSY: return "файл занят";
    case ENOMEM: return "недостаточно памяти";
    case EXDEV: return "файл нельзя перенести на другое устройство";
    default: return "системная ошибка " + std::to_string(err);
  }
}

bool readFile(const std::string& path, std::size_t maxBytes, std::string* contents,
              std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    setError(error, path, errno, Doing::reading);
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
    setError(error, path, err ? err : EIO, Doing::reading);
    return false;
  }
  *contents = std::move(data);
  return true;
}

bool writeFile(const std::string& path, std::string_view data, std::string* error) {
  std::string temporary = path + ".tmp" + std::to_string(::getpid());
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    setError(error, path, errno, Doing::writing);
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
    setError(error, path, err ? err : EIO, Doing::writing);
  }
  return ok;
}

}  // namespace vandrel::os
