#pragma once
// A scene store in the state the editor has after start-up.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "pack/document.h"
#include "platform/os/files.h"
#include "scene/geometry_text.h"
#include "scene/modifier_kinds.h"
#include "scene/scene_hooks.h"
#include "scene/scene_store.h"
#include "scene/undo.h"

namespace vandrel::scene::test {

// The single-scene text of a newly created scene's first object.
inline const char kNewSceneText[] =
    "1,\n1,\n1,\n0,\n0,\n32,\n32,\n0,\n64,\n0,\n64,\n0,\n64,\n1,\n0,\n128,\n0,\n128,\n0,\n"
    "128,\n0,\n0,\n\n\n0,\n\nclones\n0,0,0,\n";

class SceneStoreTest : public ::testing::Test {
 protected:
  pack::Document document;

  // Fills the current scene with n objects told apart by posX = 100 + index.
  static void fillObjects(int n) {
    currentSceneRecord().objectCount = static_cast<std::uint8_t>(n);
    for (int o = 0; o < n; ++o) {
      objectRecord(sceneStore.currentScene, o) = newSceneObject();
      objectRecord(sceneStore.currentScene, o).posX = static_cast<std::int16_t>(100 + o);
    }
  }

  static Modifier& addModifier(int object, std::uint8_t kind, std::int16_t strength) {
    ModifierList& l = modifierList(sceneStore.currentScene, object);
    return l.modifiers[l.count++] = Modifier{1, 2, 3, 4, strength, kind};
  }

  static void expectInvariants() {
    const SceneStore& s = sceneStore;
    ASSERT_TRUE(s.sceneCount >= 1 && s.sceneCount <= kMaxScenes);
    ASSERT_LT(s.currentScene, s.sceneCount);
    for (int i = 0; i < s.sceneCount; ++i)
      ASSERT_LT(s.scenes[i].currentObject, s.scenes[i].objectCount);
    ASSERT_GE(s.currentModifier, -1);
    ASSERT_LT(s.currentModifier, std::max(1, static_cast<int>(currentModifierList().count)));
  }
};

// Snapshots go to a temporary directory of this test alone.
class Snapshots : public SceneStoreTest {
 protected:
  void SetUp() override {
    SceneStoreTest::SetUp();
    char pattern[] = "/tmp/vandrel_scene_test_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("TMPDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TMPDIR");
    std::filesystem::remove_all(dir_);
    SceneStoreTest::TearDown();
  }
  std::string snapshot(int k) const {
    std::string text, folder = dir_ + "/v21_tmp/" + std::to_string(::getpid());
    os::readFile(folder + "/" + std::to_string(k), &text, nullptr);
    return text;
  }
  std::string dir_;
};

// Reads from a heap copy of exactly the text's size, so that the address
// sanitizer catches any read past its end.
inline bool readExact(bool (*read)(std::string_view), std::string_view text) {
  std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  return read(std::string_view(exact.get(), text.size()));
}

}  // namespace vandrel::scene::test
