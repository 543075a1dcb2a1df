#include "platform/os/files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vandrel::os {

namespace {

// Our own reasons, beside the system's error numbers (which are positive).
constexpr int kNotRegular = -1;
constexpr int kTooLarge = -2;
constexpr int kLinkHops = 40;  // as the system allows in one path

enum class Doing { reading, writing };

void setError(std::string* error, const std::string& path, int err, Doing doing) {
  if (!error) return;
  *error = std::string(doing == Doing::reading ? "Не удалось прочитать файл «" : "Не удалось записать файл «") +
           path + "»: " + describeError(err);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Opens a regular file for reading. A pipe or device is opened without waiting
// for a writer (or for data), seen to be one, and refused, instead of holding the
// program until someone writes into it.
int openRegular(const std::string& path, struct stat* st, int* err) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *err = errno;
    return -1;
  }
  if (::fstat(fd, st) != 0) {
    *err = errno;
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st->st_mode)) {
    *err = S_ISDIR(st->st_mode) ? EISDIR : kNotRegular;
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads until the end of the file or until limit bytes are read.
bool readUpTo(int fd, std::size_t limit, std::string* data, int* err) {
  char buffer[65536];
  while (data->size() < limit) {
    const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - data->size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *err = errno;
      return false;
    }
    if (got == 0) break;
    data->append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

bool readRegular(const std::string& path, std::size_t limit, bool refuseLarger, std::string* contents,
                 std::string* error) {
  struct stat st {};
  int err = 0;
  const int fd = openRegular(path, &st, &err);
  if (fd < 0) {
    setError(error, path, err, Doing::reading);
    return false;
  }
  std::string data;
  if (refuseLarger && static_cast<unsigned long long>(st.st_size) > limit) {
    err = kTooLarge;
  } else {
    data.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
    // One byte past the limit tells a file that grew beyond it while read.
    if (readUpTo(fd, refuseLarger ? limit + 1 : limit, &data, &err) && refuseLarger && data.size() > limit)
      err = kTooLarge;
  }
  ::close(fd);
  if (err != 0) {
    setError(error, path, err, Doing::reading);
    return false;
  }
  *contents = std::move(data);
  return true;
}

// The file a save replaces: the path itself, or the file its links lead to.
bool linkTarget(const std::string& path, std::string* target, int* err) {
  std::string current = path;
  for (int hop = 0; hop < kLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = current;
      return true;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0) {
      *err = errno;
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : folderOf(current) + "/" + link;
  }
  *err = ELOOP;
  return false;
}

std::string randomSuffix() {
  static std::random_device source;
  static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix(12, '0');
  for (char& c : suffix) c = digits[source() % 36];
  return suffix;
}

}  // namespace

std::string describeError(int err) {
  switch (err) {
    case kNotRegular: return "это не обычный файл, а канал, устройство или сокет";
    case kTooLarge: return "файл больше 256 МБ, таких файлов программа не пишет";
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

bool readFile(const std::string& path, std::string* contents, std::string* error) {
  return readRegular(path, kMaxFileBytes, true, contents, error);
}

bool readFileStart(const std::string& path, std::size_t maxBytes, std::string* contents, std::string* error) {
  return readRegular(path, maxBytes, false, contents, error);
}

FileWriter::~FileWriter() { discard(); }

void FileWriter::fail(int err) {
  if (firstError_ == 0) firstError_ = err;
}

void FileWriter::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool FileWriter::open(const std::string& path, std::string* error) {
  discard();
  path_ = path;
  firstError_ = 0;
  int err = 0;
  if (!linkTarget(path, &target_, &err)) {
    setError(error, path, err, Doing::writing);
    return false;
  }
  struct stat old {};
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  if (replacing && !S_ISREG(old.st_mode)) {
    setError(error, path, S_ISDIR(old.st_mode) ? EISDIR : kNotRegular, Doing::writing);
    return false;
  }
  // A new name each time, created only if nothing is there (not even a link).
  const std::string stem = folderOf(target_) + "/." + target_.substr(target_.rfind('/') + 1) + ".";
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = stem + randomSuffix();
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    setError(error, path, errno, Doing::writing);
    return false;
  }
  if (replacing) {
    // The owner first: changing it may clear the set-id bits the mode then restores.
    if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // Not allowed for other users' files: the new file is then ours.
    }
    if (::fchmod(fd_, old.st_mode & 07777) != 0) fail(errno);
  }
  return true;
}

bool FileWriter::write(std::string_view data) {
  if (fd_ < 0 || firstError_ != 0) return false;
  while (!data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      fail(errno);
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool FileWriter::commit(std::string* error) {
  if (fd_ < 0) {
    setError(error, path_, firstError_ ? firstError_ : EIO, Doing::writing);
    return false;
  }
  if (firstError_ == 0 && ::fsync(fd_) != 0) fail(errno);
  if (::close(fd_) != 0) fail(errno);
  fd_ = -1;
  if (firstError_ == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
  if (firstError_ != 0) {
    setError(error, path_, firstError_, Doing::writing);
    discard();
    return false;
  }
  temporary_.clear();
  // The rename itself is on the disk once the folder is.
  const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

bool writeFile(const std::string& path, std::string_view data, std::string* error) {
  FileWriter file;
  if (!file.open(path, error)) return false;
  file.write(data);
  return file.commit(error);
}

}  // namespace vandrel::os
