#pragma once
// The complex pack (".vsc"): geometry, materials, render settings and the texture
// slots' logs in one text, each section introduced by a marker line.

#include <functional>
#include <string>
#include <string_view>

#include "platform/os/hook.h"
#include "platform/os/text_checks.h"

namespace vandrel::pack {

struct PackHooks {
  // The editor shows the slot number and renders one frame while textures are
  // rebuilt; a read ends by telling the document's listeners.
  os::Hook<void(int slot)> showSlotNumber;
  os::Hook<void()> renderFrame;
};

extern PackHooks packHooks;
void resetPackHooks();

// Clears the object slots of the current scene that clone rules generate into,
// so that a saved pack holds no generated clones.
void cleanUpCloneSlots();

// The pack text of the current state (without the clean-up).
std::string writePack();
// The text a save writes: the clone slots cleaned up first.
std::string savedPackText();
// The same text with the work left as it is: telling whether the work changed
// must not clean the clone slots.
std::string savedPackTextOfWork();

enum class TextureRebuild { Rebuild, Skip };

// Reads a pack text into the store. Sections whose marker is missing leave their
// data unchanged. With Rebuild, every slot with a log is replayed and its texture
// filled, as the frames rendered during a load leave them.
void readPack(std::string_view text, TextureRebuild rebuild = TextureRebuild::Rebuild);

// What a load refuses, checking every section before anything is read: binary
// bytes, no "section:geometry_" first line, and what the section readers refuse
// (scenes, materials, render settings, texture logs), including a section cut
// short before the next one begins. A pack cut short at its end is fine.
os::TextProblem checkPack(std::string_view text);

// Reads a pack file and checks it; false with a message naming the file when it
// cannot be read or is refused.
bool readPackFile(const std::string& path, std::string* text, std::string* error);

// Clean-up, then the pack written to path (replacing it only when complete).
bool savePack(const std::string& path, std::string* error);

// A checked pack text into the store, made undo snapshot 1.
void loadPackText(std::string_view text, TextureRebuild rebuild = TextureRebuild::Rebuild);

// loadPackText with a way out: stop is asked after each slot rebuilt, and true
// abandons the load. The work that was open is then put back as it was (scenes,
// materials, render settings, texture logs, the device's textures, the current
// slot and its layers; undo untouched), the windows are told, and it returns false.
bool loadPackTextUnlessStopped(std::string_view text, const std::function<bool()>& stop);

// Reads the whole file, loads it, and makes it undo snapshot 1.
// Returns false, changing nothing, when the file cannot be read or is refused.
bool loadPack(const std::string& path, std::string* error,
              TextureRebuild rebuild = TextureRebuild::Rebuild);

}  // namespace vandrel::pack
