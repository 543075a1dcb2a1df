#pragma once
// A callback from the core into the window that shows its data, with that window
// as its target. A window installs its callbacks with itself as target and takes
// back only its own when it goes: one created after it keeps its callbacks.

#include <functional>
#include <utility>

namespace vandrel::os {

template <typename Signature>
class Hook;

template <typename Result, typename... Args>
class Hook<Result(Args...)> {
 public:
  using Call = std::function<Result(Args...)>;

  void set(const void* target, Call call) {
    target_ = target;
    call_ = std::move(call);
  }
  void clear(const void* target) {
    if (target_ != target) return;
    target_ = nullptr;
    call_ = nullptr;
  }
  // A callback with no window behind it (a tool or a test); nullptr clears.
  Hook& operator=(Call call) {
    set(nullptr, std::move(call));
    return *this;
  }

  explicit operator bool() const { return static_cast<bool>(call_); }
  Result operator()(Args... args) const { return call_(std::forward<Args>(args)...); }

 private:
  const void* target_ = nullptr;
  Call call_;
};

}  // namespace vandrel::os
