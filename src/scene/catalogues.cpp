#include "scene/catalogues.h"

namespace vandrel::scene {

namespace {

const char* const kPrimitiveLabels[kPrimitiveKinds] = {
    "сфера",           "труба",      "цилиндр",
    "бочка",           "плоскость",  "ландшафт",
    "ландшафт на сфере", "ландшафт на трубе", "куб",
    "ландшафт на куб", "ландшафт на куб - минус", "постпроцессор",
    "zbuf cleaner",    "тор",        "ландшафт на торе",
    "солнце",          "лампочка",
};

const char* const kAlphaModeLabels[kAlphaModes] = {
    "нет", "альфа +", "альфа -", "альфа - (реверс)", "минимум", "максимум", "т.альфаканал",
};

const char* const kNormalModeLabels[kNormalModes] = {
    "Нормаль: -1", "Нормаль: 0", "Нормаль: 1", "Нормаль: -1*", "Нормаль: 1*", "Невидим",
};

const char* const kCloneKindLabels[kCloneKinds] = {
    "поворот xz", "поворот xy", "поворот zy", "линия x", "линия y",
    "линия z",    "группа",     "зум xyz",    "кольцо xy б/п",
};

template <int N>
const char* labelOf(const char* const (&labels)[N], int code) {
  return code >= 0 && code < N ? labels[code] : "";
}

}  // namespace

const char* primitiveLabel(int code) { return labelOf(kPrimitiveLabels, code); }
const char* alphaModeLabel(int code) { return labelOf(kAlphaModeLabels, code); }
const char* normalModeLabel(int code) { return labelOf(kNormalModeLabels, code); }
const char* cloneKindLabel(int code) { return labelOf(kCloneKindLabels, code); }

}  // namespace vandrel::scene
