#include "scene/modifier_kinds.h"

namespace vandrel::scene {

namespace {

struct KindTexts {
  const char* listText;
  const char* strength;
  const char* radius;
};

#define VANDREL_KIND_TEXTS(code, name, text, strength, radius) {text, strength, radius},
const KindTexts kKindTexts[kModifierKinds] = {VANDREL_MODIFIER_KINDS(VANDREL_KIND_TEXTS)};
#undef VANDREL_KIND_TEXTS

// The table is indexed by code: every row must stand at its own code.
#define VANDREL_KIND_CODE(code, name, text, strength, radius) code,
constexpr int kCodes[] = {VANDREL_MODIFIER_KINDS(VANDREL_KIND_CODE)};
#undef VANDREL_KIND_CODE
constexpr bool inCodeOrder() {
  for (int i = 0; i < kModifierKinds; ++i)
    if (kCodes[i] != i) return false;
  return true;
}
static_assert(inCodeOrder(), "modifier kinds out of code order");

const KindTexts* kindTexts(int kind) {
  return kind >= 0 && kind < kModifierKinds ? &kKindTexts[kind] : nullptr;
}

}  // namespace

const char* modifierListText(int kind) {
  const KindTexts* t = kindTexts(kind);
  return t ? t->listText : "";
}

const char* modifierStrengthLabel(int kind) {
  const KindTexts* t = kindTexts(kind);
  return t ? t->strength : "";
}

const char* modifierRadiusLabel(int kind) {
  const KindTexts* t = kindTexts(kind);
  return t ? t->radius : "";
}

}  // namespace vandrel::scene
