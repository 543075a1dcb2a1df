#pragma once
// The modifier catalogue as the modifiers dialog shows it: for each kind code its
// list text and what its two parameters mean. A text starting with "::" opens a
// group of related kinds, one starting with two blanks continues it. A file may
// carry codes outside the catalogue; their texts are empty.

namespace vandrel::scene {

inline constexpr int kModifierKinds = 65;

const char* modifierListText(int kind);
const char* modifierStrengthLabel(int kind);  // what `strength` means; "n/u" when unused
const char* modifierRadiusLabel(int kind);    // what `radius` means; "n/u" when unused

}  // namespace vandrel::scene
