#pragma once
// Russian nouns after a number: one form for 1, 21, 31..., another for 2-4,
// 22-24..., and a third for the rest (5-20, 25-30, 11-14 and so on).

#include <string>

namespace vandrel::os {

inline std::string counted(int n, const char* one, const char* few, const char* many) {
  const int tens = n % 100, units = n % 10;
  const char* noun = many;
  if (units == 1 && tens != 11) noun = one;
  else if (units >= 2 && units <= 4 && (tens < 12 || tens > 14)) noun = few;
  return std::to_string(n) + " " + noun;
}

inline std::string operationsCount(int n) { return counted(n, "операция", "операции", "операций"); }

}  // namespace vandrel::os
