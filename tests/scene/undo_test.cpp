#include "scene/undo.h"

#include <gtest/gtest.h>

#include <fstream>

#include "scene/vsl_file.h"
#include "scene_fixture.h"

namespace vandrel::scene::test {
namespace {

TEST_F(Snapshots, OneHistoryLineThatRedoWalksUntilTheNextEdit) {
  ASSERT_TRUE(checkpoint());
  EXPECT_EQ(snapshot(1), writeAllScenes());
  EXPECT_FALSE(undo());  // right after start-up there is nothing to go back to

  static int refreshes;
  refreshes = 0;
  sceneHooks.refreshScenesDialog = [] { ++refreshes; };
  newScene();
  ASSERT_TRUE(checkpoint());
  insertObject(false);
  ASSERT_TRUE(checkpoint());
  const std::string twoObjects = writeAllScenes();
  EXPECT_FALSE(redo());  // nothing undone yet
  ASSERT_TRUE(undo());
  EXPECT_EQ(undoCounter, 2);
  EXPECT_EQ(sceneStore.currentScene, 1);             // kept across the undo
  EXPECT_EQ(currentSceneRecord().currentObject, 0);  // brought inside the restored count
  EXPECT_EQ(refreshes, 2);                           // by the reader and by undo
  ASSERT_TRUE(undo());
  ASSERT_TRUE(redo());
  ASSERT_TRUE(redo());
  EXPECT_EQ(undoCounter, 3);
  EXPECT_EQ(writeAllScenes(), twoObjects);
  EXPECT_EQ(sceneStore.currentScene, 0);  // where snapshot 1 left the user, as undo keeps it
  EXPECT_FALSE(redo());
  ASSERT_TRUE(undo());

  // A new edit after an undo drops what redo could have reached.
  clearCurrentScene();
  ASSERT_TRUE(checkpoint());
  EXPECT_EQ(undoCounter, 3);
  EXPECT_EQ(snapshot(3), writeAllScenes());
  EXPECT_FALSE(redo());
  EXPECT_EQ(snapshot(3), writeAllScenes());
  ASSERT_TRUE(undo());
  ASSERT_TRUE(undo());
  EXPECT_EQ(sceneStore.currentScene, 0);  // scene 1 is gone in snapshot 1
  expectInvariants();

  // A snapshot or a folder that cannot be used changes nothing.
  undoCounter = 5;
  const std::string before = writeAllScenes();
  std::string error;
  EXPECT_FALSE(undo(&error));
  EXPECT_NE(error.find("/4"), std::string::npos);
  EXPECT_EQ(writeAllScenes(), before);
  std::ofstream(dir_ + "/file") << "x";
  ::setenv("TMPDIR", (dir_ + "/file").c_str(), 1);
  EXPECT_FALSE(checkpoint(&error));
  EXPECT_NE(error.find("v21_tmp"), std::string::npos);
  EXPECT_EQ(undoCounter, 5);
}

TEST_F(Snapshots, SceneLayerFileSavesAndLoadsTheCurrentSceneOnly) {
  EXPECT_EQ(withSceneLayerExtension("work"), "work.vsl");
  EXPECT_EQ(withSceneLayerExtension("work.vsl.bak"), "work.vsl.bak");

  fillObjects(3);
  addModifier(2, kGlobalSource, 1);
  cloneRule(0, 1) = CloneRule{6, 2, 50};
  const std::string path = dir_ + "/layer.vsl";
  std::string error;
  ASSERT_TRUE(saveSceneLayer(path, &error)) << error;
  const std::string layer = writeCurrentScene();

  newScene();
  const std::string before = writeAllScenes();
  EXPECT_FALSE(loadSceneLayer(dir_ + "/missing.vsl", &error));
  EXPECT_NE(error.find("missing.vsl"), std::string::npos);
  EXPECT_EQ(writeAllScenes(), before);

  undoCounter = 9;
  ASSERT_TRUE(loadSceneLayer(path, &error)) << error;
  EXPECT_EQ(writeCurrentScene(), layer);
  EXPECT_EQ(currentSceneRecord().currentObject, 0);
  EXPECT_EQ(undoCounter, 1);  // the loaded state is the first snapshot
  EXPECT_EQ(snapshot(1), writeAllScenes());
  EXPECT_EQ(objectRecord(0, 2).posX, 102);  // scene 0 untouched
  expectInvariants();
}

}  // namespace
}  // namespace vandrel::scene::test
