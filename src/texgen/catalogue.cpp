#include "texgen/catalogue.h"

#include <cstring>

namespace vandrel::texgen {

Catalogue catalogue;

namespace {

// Codes 0..41 in order. Labels are shown to the user as they stand.
const OperationRecord kDefaults[kCatalogueRecords] = {
    {"--Генераторы--", 0, {}, {}},
    {"Cells", 4, {"альфа", "плотность", "яркость", "сложность"}, {166, 233, 166, 233}},
    {"Stars", 2, {"количество", "яркость"}, {255, 255}},
    {"MandelBrot", 4, {"x", "зум по x", "y", "зум по y"}, {164, 22, 164, 13}},
    // The first letter of "cмещение" is the Latin c.
    {"Plasm", 4, {"частота x", "cмещение x", "частота y", "cмещение y"}, {255, 0, 255, 0}},
    {"Julia", 2, {"параметр 1", "параметр 2"}, {183, 231}},
    {"Noise", 1, {"амплитуда"}, {255}},
    {"Chessfield", 2, {"клеток по x", "клеток по y"}, {128, 128}},
    {"--Фильтры--", 0, {}, {}},
    {"Sindistort", 4, {"амплитуда x", "частота x", "амплитуда y", "частота y"}, {0, 0, 0, 0}},
    {"rotorzoom", 4, {"x", "y", "поворот", "масштаб"}, {128, 128, 128, 64}},
    {"twirl", 5, {"x", "y", "поворот", "скрутка", "радиус"}, {128, 128, 128, 192, 64}},
    {"lenz", 4, {"x", "y", "сила", "радиус"}, {128, 128, 192, 64}},
    {"blur", 1, {"размытие"}, {1}},
    {"motion blur", 1, {"размытие"}, {1}},
    {"pshift", 4, {"сдвиг от r", "сдвиг от g", "сдвиг от b", "насыщенность"}, {0, 0, 0, 0}},
    {"radial pshift", 4, {"сдвиг от r", "сдвиг от g", "сдвиг от b", "насыщенность"}, {0, 0, 0, 0}},
    {"radial blur", 2, {"размытие", "зум"}, {1, 1}},
    {"roll", 3, {"x", "y", "зеркало"}, {0, 0, 0}},
    {"tiling", 4, {"x", "y", "anglestep", "mixtype"}, {0, 0, 128, 1}},
    {"median", 0, {}, {}},
    {"dilate", 0, {}, {}},
    {"erode", 0, {}, {}},
    {"edge", 0, {}, {}},
    {"emboss", 0, {}, {}},
    {"sharpen", 0, {}, {}},
    {"addparticle", 7, {"x", "y", "r", "g", "b", "радиус", "яркость"}, {128, 128, 255, 255, 255, 128, 255}},
    {"mosaic", 1, {"порядок"}, {128}},
    {"clear", 0, {}, {}},
    {"mixer", 5, {"источник 1", "источник 2", "яркость 1", "яркость 2", "тип (0-5)"}, {99, 99, 128, 128, 0}},
    {"border-crossfade", 2, {"зона перехлеста", "направление (0-1)"}, {32, 0}},
    {"solidfill", 6, {"x", "y", "r", "g", "b", "color range"}, {126, 126, 255, 255, 255, 1}},
    {"--Цвет--", 0, {}, {}},
    {"Invert", 0, {}, {}},
    {"ScaleColor", 3, {"r", "g", "b"}, {128, 128, 128}},
    {"AdjustColor", 3, {"тон", "яркость", "контраст"}, {128, 128, 128}},
    {"box", 7, {"x", "y", "ширина", "высота", "r", "g", "b"}, {0, 0, 32, 32, 128, 128, 128}},
    {"circle", 6, {"x", "y", "радиус", "r", "g", "b"}, {0, 0, 32, 128, 128, 128}},
    {"copy_b_to_alfa", 0, {}, {}},
    {"clear_rgb", 0, {}, {}},
    {"clear_alfa", 0, {}, {}},
    {"end", 0, {}, {}},
};

// The two headings a log line can name, as Windows-1251 bytes (files written by
// older versions of the program store them this way).
const char kFiltersCp1251[] = "--\xD4\xE8\xEB\xFC\xF2\xF0\xFB--";
const char kColourCp1251[] = "--\xD6\xE2\xE5\xF2--";

bool beginsWith(std::string_view text, const char* name, std::size_t* length) {
  std::size_t n = std::strlen(name);
  if (text.size() < n || std::memcmp(text.data(), name, n) != 0) return false;
  *length = n;
  return true;
}

}  // namespace

void fillCatalogue() {
  for (int c = 0; c < kCatalogueRecords; ++c) catalogue.records[c] = kDefaults[c];
  for (int c = 0; c < kCatalogueEntries; ++c) catalogue.pristine[c] = catalogue.records[c];
}

void restoreRecord(int code) {
  if (code < 0 || code >= kCatalogueEntries) return;
  catalogue.records[code] = catalogue.pristine[code];
}

bool isHeading(int code) {
  return code == kHeadingGenerators || code == kHeadingFilters || code == kHeadingColour;
}

bool isOperationCode(int code) { return code >= 1 && code <= 40 && !isHeading(code); }

const char* operationName(int code) {
  if (code < 0 || code >= kCatalogueRecords) return "";
  return kDefaults[code].name;
}

int parameterCount(int code) {
  if (code < 0 || code >= kCatalogueRecords) return 0;
  return kDefaults[code].paramCount;
}

int codeOfName(std::string_view text, std::size_t* length) {
  int best = -1;
  std::size_t bestLength = 0;
  auto consider = [&](int code, const char* name) {
    std::size_t n = 0;
    if (beginsWith(text, name, &n) && n > bestLength) {
      best = code;
      bestLength = n;
    }
  };
  for (int c = 1; c < kCatalogueRecords; ++c) consider(c, kDefaults[c].name);
  consider(kHeadingFilters, kFiltersCp1251);
  consider(kHeadingColour, kColourCp1251);
  if (length) *length = bestLength;
  return best;
}

}  // namespace vandrel::texgen
