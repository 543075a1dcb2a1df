#pragma once
// Whole-file reads and careful saves that report failure to their caller.

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::os {

// The largest file any reader takes: a larger one is refused, never cut. The
// program's own largest files (packs of 253 long logs) are a few megabytes.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

// A system error number as the user reads it, in Russian.
std::string describeError(int err);

// Reads a whole regular file (binary). A folder, a pipe or a device is refused at
// once, without waiting on it, and so is a file larger than kMaxFileBytes. On
// failure returns false and sets error to one line naming the file and the reason.
bool readFile(const std::string& path, std::string* contents, std::string* error);

// The first maxBytes of a regular file at most (help text, window layouts).
bool readFileStart(const std::string& path, std::size_t maxBytes, std::string* contents, std::string* error);

// The new contents of a file, written beside it and put in its place only when
// complete, so that a failed or interrupted save never leaves a half-written file:
// - the new file is created under a name nobody can guess or plant a link at,
//   in the folder of the file it replaces;
// - it is flushed to the disk before it replaces the old one, and the folder
//   after;
// - it keeps the old file's permissions (and owner, where that is allowed);
// - saving to a symbolic link writes the file the link points to, and the link
//   stays.
// An error names the file and the first call that failed ("на устройстве не
// осталось места"), not a later one.
class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();  // an uncommitted new file is removed
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  bool open(const std::string& path, std::string* error);
  // False from the first failure on; commit then reports it.
  bool write(std::string_view data);
  // The new file, for a library that writes it by name itself (an encoder that
  // goes back to rewrite its index); commit then puts it in place all the same.
  const std::string& newFilePath() const { return temporary_; }
  bool commit(std::string* error);

 private:
  void fail(int err);
  void discard();

  std::string path_;    // as given, for messages
  std::string target_;  // the file that gets replaced (a link's target)
  std::string temporary_;
  int fd_ = -1;
  int firstError_ = 0;
};

// open, write and commit in one.
bool writeFile(const std::string& path, std::string_view data, std::string* error);

}  // namespace vandrel::os
