#pragma once
// Message boxes, file choosers and the colour chooser behind one interface: the
// editor answers them with Qt's modal dialogs, a test from a queue of answers.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMessageBox;
class QWidget;

namespace vandrel::ui {

enum class MessageButtons { ok, okCancel, yesNoCancel };
enum class MessageIcon { none, information, warning, error, question };
enum class Answer { ok, cancel, yes, no };

struct FileFilter {
  std::string name;     // "Vandrel complex pack"
  std::string pattern;  // "*.vsc"
};

// The animation times a video covers and its frame rate.
struct TimeRange {
  double from = 0;
  double to = 0;
  int framesPerSecond = 30;
};

// How a time range plays as a video: the animation time that passes in a second,
// and the frames a range gives (0 when its end comes before its start).
struct VideoTiming {
  double tauPerSecond = 1;
  std::function<int(const TimeRange&)> frameCount;
};

// What the time-range chooser says of a range as it is typed: the length the
// video plays and its frames, "3,0 с, 91 кадр".
std::string videoLengthText(const TimeRange& range, const VideoTiming& timing);

// A name to save under, and the state of the chooser's check box.
struct SaveChoice {
  std::string path;
  bool checked = false;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual Answer message(const std::string& text, const std::string& caption, MessageButtons buttons,
                         MessageIcon icon) = 0;
  // An existing file, or nothing when cancelled.
  virtual std::optional<std::string> openFile(const FileFilter& filter) = 0;
  // A name to save under, asking before an existing file is overwritten.
  virtual std::optional<std::string> saveFile(const FileFilter& filter) = 0;
  // saveFile with a check box of the given caption in the chooser, unchecked at first.
  virtual std::optional<SaveChoice> saveFileWithCheckBox(const FileFilter& filter,
                                                         const std::string& checkBox) = 0;
  // 0xRRGGBB; the chooser keeps 16 custom colours shared by every call.
  virtual std::optional<std::uint32_t> chooseColour(std::uint32_t initial) = 0;
  // A folder to write into; a name typed that is not there yet is made a folder.
  virtual std::optional<std::string> chooseFolder(const std::string& caption) = 0;
  // Times and rate, starting from initial; the end is given as a time or as a
  // length in seconds, and the chooser tells the video's length and frames as
  // they are typed. Nothing when cancelled.
  virtual std::optional<TimeRange> chooseTimeRange(const std::string& caption, const TimeRange& initial,
                                                   const VideoTiming& timing) = 0;
};

// The prompts every window uses; the editor installs Qt's, tests their own.
Prompts& prompts();
void setPrompts(Prompts* prompts);  // null restores the Qt prompts

class QtPrompts : public Prompts {
 public:
  // Dialogs are owned by this window (the frame window in the editor).
  void setOwner(QWidget* owner) { owner_ = owner; }
  Answer message(const std::string& text, const std::string& caption, MessageButtons buttons,
                 MessageIcon icon) override;
  std::optional<std::string> openFile(const FileFilter& filter) override;
  std::optional<std::string> saveFile(const FileFilter& filter) override;
  std::optional<SaveChoice> saveFileWithCheckBox(const FileFilter& filter,
                                                 const std::string& checkBox) override;
  std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
  std::optional<std::string> chooseFolder(const std::string& caption) override;
  std::optional<TimeRange> chooseTimeRange(const std::string& caption, const TimeRange& initial,
                                           const VideoTiming& timing) override;

 private:
  QWidget* owner_ = nullptr;
};

QtPrompts& qtPrompts();

// The message box the Qt prompts show: text, title, buttons and icon, and room
// for the whole title in the title bar (at least messageBoxTitleWidth pixels).
void prepareMessageBox(QMessageBox& box, const std::string& text, const std::string& caption,
                       MessageButtons buttons, MessageIcon icon);
int messageBoxTitleWidth(const QMessageBox& box);

// Answers from queues (an empty queue answers cancel) and records what was asked.
class TestPrompts : public Prompts {
 public:
  struct Asked {
    std::string kind;  // "message", "open", "save", "colour", "folder", "times"
    std::string text;  // message text, or the filter's name
    std::string caption;
    MessageButtons buttons = MessageButtons::ok;
    std::string checkBox = "";  // the save chooser's check box, if it had one
  };
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> files;  // for open and save, with or without a check box
  std::deque<bool> checks;                       // the check box ticked; empty: as it starts
  std::deque<std::optional<std::uint32_t>> colours;
  std::deque<std::optional<std::string>> folders;
  std::deque<std::optional<TimeRange>> timeRanges;
  std::vector<Asked> asked;

  Answer message(const std::string& text, const std::string& caption, MessageButtons buttons,
                 MessageIcon icon) override;
  std::optional<std::string> openFile(const FileFilter& filter) override;
  std::optional<std::string> saveFile(const FileFilter& filter) override;
  std::optional<SaveChoice> saveFileWithCheckBox(const FileFilter& filter,
                                                 const std::string& checkBox) override;
  std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;
  std::optional<std::string> chooseFolder(const std::string& caption) override;
  std::optional<TimeRange> chooseTimeRange(const std::string& caption, const TimeRange& initial,
                                           const VideoTiming& timing) override;
};

}  // namespace vandrel::ui
