#pragma once
// The seven parameter rows the dispatcher reads its parameters from. In the
// editor they are trackbars with read-only number fields beside them; the command
// line and tests use the plain rows below.

#include <string>

#include "texgen/limits.h"

namespace vandrel::texgen {

class ParameterRows {
 public:
  virtual ~ParameterRows() = default;
  // row = 1..7. A trackbar holds 0..255; setting a value outside clamps it.
  virtual int position(int row) const = 0;
  virtual void setPosition(int row, int value) = 0;
  // The number field beside the trackbar.
  virtual void showNumber(int row, const std::string& text) = 0;
};

int clampToTrackbar(int value);

class PlainParameterRows final : public ParameterRows {
 public:
  int position(int row) const override { return positions_[row - 1]; }
  void setPosition(int row, int value) override { positions_[row - 1] = clampToTrackbar(value); }
  void showNumber(int row, const std::string& text) override { numbers_[row - 1] = text; }
  const std::string& number(int row) const { return numbers_[row - 1]; }

 private:
  int positions_[kParamCount] = {};
  std::string numbers_[kParamCount] = {"0", "0", "0", "0", "0", "0", "0"};
};

}  // namespace vandrel::texgen
