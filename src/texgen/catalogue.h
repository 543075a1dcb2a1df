#pragma once
// The operation catalogue: name, parameter count, labels and current values of
// every operation code.

#include <string_view>

#include "texgen/limits.h"

namespace vandrel::texgen {

enum OpCode : int {
  kHeadingGenerators = 0,
  kCells = 1,
  kStars = 2,
  kMandelBrot = 3,
  kPlasm = 4,
  kJulia = 5,
  kNoise = 6,
  kChessfield = 7,
  kHeadingFilters = 8,
  kSindistort = 9,
  kRotorzoom = 10,
  kTwirl = 11,
  kLenz = 12,
  kBlur = 13,
  kMotionBlur = 14,
  kPshift = 15,
  kRadialPshift = 16,
  kRadialBlur = 17,
  kRoll = 18,
  kTiling = 19,
  kMedian = 20,
  kDilate = 21,
  kErode = 22,
  kEdge = 23,
  kEmboss = 24,
  kSharpen = 25,
  kAddparticle = 26,
  kMosaic = 27,
  kClear = 28,
  kMixer = 29,
  kBorderCrossfade = 30,
  kSolidfill = 31,
  kHeadingColour = 32,
  kInvert = 33,
  kScaleColor = 34,
  kAdjustColor = 35,
  kBox = 36,
  kCircle = 37,
  kCopyBToAlfa = 38,
  kClearRgb = 39,
  kClearAlfa = 40,
  kEnd = 41,
};

inline constexpr int kCatalogueEntries = 41;  // codes 0..40 are listed in the editor
inline constexpr int kCatalogueRecords = 42;  // plus the terminator "end"

struct OperationRecord {
  const char* name;  // UTF-8
  int paramCount;
  const char* labels[kParamCount];  // UTF-8; only the first paramCount are set
  int values[kParamCount];
};

struct Catalogue {
  OperationRecord records[kCatalogueRecords];
  OperationRecord pristine[kCatalogueEntries];
};

extern Catalogue catalogue;

// Fills the records with their defaults and takes the pristine copy.
void fillCatalogue();

// Copies pristine record c over record c (codes 0..40; others are ignored).
void restoreRecord(int code);

bool isHeading(int code);
bool isOperationCode(int code);  // 1..40 and not a heading

const char* operationName(int code);  // "" outside 0..41
int parameterCount(int code);         // 0 outside 0..41

// Among codes 1..41, the code of the longest name that text begins with; -1 if none.
// The headings also match in the Windows-1251 spelling that older files carry.
// length receives the number of bytes matched.
int codeOfName(std::string_view text, std::size_t* length = nullptr);

}  // namespace vandrel::texgen
