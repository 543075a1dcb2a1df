#pragma once
// Work that takes a while (an export, a pack load) runs inside its command one
// step at a time (a frame, a texture, an object), and the event loop runs between
// the steps: the windows keep painting and a progress dialog, shown once the work
// has taken half a second, offers "Отмена" (Esc too). Meanwhile input meant for
// any other window is dropped, not kept to run afterwards, and the main loop draws
// no frames of its own: the work borrows the device and the tables.

#include <QString>

class QObject;
class QProgressDialog;

namespace vandrel::shell {

class LongWork {
 public:
  explicit LongWork(const QString& label);
  ~LongWork();
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

  // After each step: how many are done, of how many. Lets the event loop run;
  // false once the user cancelled.
  bool step(int done, int total);
  // The user cancelled: the work is to stop at its next step.
  bool cancelled() const { return cancelled_; }
  // The work is over: the dialog goes and input flows again (before a message
  // about the work is shown, which must take the user's answer).
  void end();

 private:
  QProgressDialog* dialog_;  // null once ended
  QObject* gate_;  // drops input for other windows while the work runs
  bool cancelled_ = false;
};

// A LongWork is running: the main loop's frames wait.
bool longWorkRunning();

// How long work runs before its dialog shows, in milliseconds (tests shorten it).
extern int longWorkDelay;

}  // namespace vandrel::shell
