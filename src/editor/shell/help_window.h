#pragma once
// The help window: one read-only text (edit 1000) read afresh from "help.txt" each
// time it is shown. Closing it only hides it.

#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

namespace vandrel::shell {

inline constexpr int kHelpText = 1000;
inline constexpr std::size_t kMaxHelpBytes = 50'000;

// Its place and size in dialog units.
inline constexpr int kHelpLeft = 22, kHelpTop = 17, kHelpWidth = 257, kHelpHeight = 176;

class HelpWindow : public ui::Dialog {
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // The documented place and size in pixels of its font.
  QRect documentedGeometry() const;
};

// Help text bytes as shown: UTF-8 when they are valid UTF-8 (a sequence cut off at
// the end of the bytes read does not count against that), else Windows-1251.
std::string helpTextFromBytes(std::string_view bytes);

// Reads at most 50,000 bytes of "help.txt" from the first folder that has one:
// the start directory, the program's folder (a build), the installed data folder
// (share/vandrel beside the program's bin). Empty when none has.
std::string readHelpText(const std::string& programDirectory);
// The same for the running program.
std::string readHelpText();

// Shows the help window with the text read afresh.
void showHelp();

}  // namespace vandrel::shell
