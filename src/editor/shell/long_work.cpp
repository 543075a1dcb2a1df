#include "editor/shell/long_work.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputEvent>
#include <QProgressDialog>
#include <QWindow>

#include "editor/shell/editor.h"
#include "editor/shell/frame_window.h"

namespace vandrel::shell {

namespace {

int running = 0;

// Drops input and close requests for everything but the progress dialog. Qt's
// modality does that only once the dialog shows; before, and for whatever a
// modal dialog lets through, this keeps the work's tables to the work.
class InputGate : public QObject {
 public:
  explicit InputGate(QProgressDialog* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
  ~InputGate() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!isUserRequest(event) || belongsToDialog(receiver)) return false;
    event->ignore();  // a refused close leaves the window open
    return true;
  }

 private:
  static bool isUserRequest(const QEvent* event) {
    switch (event->type()) {
      case QEvent::Close:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::Enter:
      case QEvent::Leave:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return true;
      default:
        return dynamic_cast<const QInputEvent*>(event) != nullptr;
    }
  }

  bool belongsToDialog(const QObject* receiver) const {
    if (receiver == dialog_->windowHandle()) return true;
    for (const QObject* o = receiver; o; o = o->parent())
      if (o == dialog_) return true;
    return false;
  }

  QProgressDialog* dialog_;
};

}  // namespace

int longWorkDelay = 500;

bool longWorkRunning() { return running > 0; }

LongWork::LongWork(const QString& label)
    : dialog_(new QProgressDialog(label, QStringLiteral("Отмена"), 0, 0, editor.frame)),
      gate_(new InputGate(dialog_)) {
  ++running;
  dialog_->setWindowTitle(QString::fromUtf8(kTitle));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(longWorkDelay);
  // "Отмена", Esc and the close box.
  QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, [this] { cancelled_ = true; });
  QObject::connect(dialog_, &QDialog::rejected, dialog_, [this] { cancelled_ = true; });
}

LongWork::~LongWork() { end(); }

void LongWork::end() {
  if (!dialog_) return;
  delete gate_;
  delete dialog_;
  gate_ = nullptr;
  dialog_ = nullptr;
  --running;
}

bool LongWork::step(int done, int total) {
  if (!dialog_) return !cancelled_;
  if (dialog_->maximum() != total) dialog_->setMaximum(total);
  dialog_->setValue(done);  // shows the dialog once the work has run long enough
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !cancelled_;
}

}  // namespace vandrel::shell
