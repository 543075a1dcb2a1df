#include "app/file_commands.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "materials/materials.h"
#include "pack/complex_pack.h"
#include "pack/document.h"
#include "render/render_settings.h"
#include "scene/geometry_text.h"
#include "scene/scene_store.h"
#include "texedit/sinus_animation.h"
#include "texgen/catalogue.h"
#include "texgen/dispatcher.h"
#include "texgen/texture_log_file.h"
#include "texgen/texture_store.h"

namespace vandrel::app {
namespace {

namespace fs = std::filesystem;

class FileCommands : public test::ScratchFolderTest {
 protected:
  pack::Document document;
  std::string info(const std::string& path) {
    std::ostringstream out, err;
    EXPECT_EQ(runInfoCommand(path, out, err), 0) << err.str();
    return out.str();
  }

};

// Files made by the program's own writers, one of each kind.
std::string samplePack() {
  scene::newScene();
  scene::insertObject(false);
  scene::currentObjectRecord().primitive = 13;
  scene::currentCloneRule() = scene::CloneRule{8, 4, 90};
  materials::materialStore.materials[0].Diffuse = {0.5f, 0.5f, 0.25f, 0};
  render::renderSettings.cameraList[3].eyeZ = -40;
  texgen::textureStore.entryCount = 1;
  texgen::readLog("tsize=128;\nChessfield(7,7);\nInvert();\nend\n");
  return pack::writePack();
}

TEST_F(FileCommands, EveryKindComesBackByteForByte) {
  const std::string files[][2] = {
      {"a.vsc", samplePack()},
      {"b.vsl", scene::writeCurrentScene()},
      {"c.vtx", texgen::writeLog()},
      {"d.vmt", materials::writeMaterialLine(0)},
      {"e.vrs", render::writeRenderSettings()},
      {"f.sna", texedit::writeSinusAnimation(3)},
  };
  for (const auto& [name, text] : files) {
    const std::string in = file(name, text);
    const std::string out = path("copy-" + name);
    std::ostringstream err;
    ASSERT_EQ(runResaveCommand(in, out, err), 0) << name << err.str();
    EXPECT_EQ(slurp(out), text) << name;
  }
}

TEST_F(FileCommands, RenderSettingsOfSeveralScenesKeepEveryScenesFog) {
  scene::newScene();
  scene::newScene();
  scene::sceneStore.scenes[2].fogStart = 17;
  const std::string text = render::writeRenderSettings();
  const std::string in = file("s.vrs", text);
  std::ostringstream err;
  ASSERT_EQ(runResaveCommand(in, path("t.vrs"), err), 0);
  EXPECT_EQ(slurp(path("t.vrs")), text);
  EXPECT_NE(info(in).find("scene 2: fog 0,0,0 from 17 to 254"), std::string::npos) << info(in);
}

TEST_F(FileCommands, InfoSummarisesAPack) {
  const std::string path = file("p.vsc", samplePack());
  const std::string text = info(path);
  EXPECT_NE(text.find("2 scene(s)"), std::string::npos) << text;
  EXPECT_NE(text.find("object 1: тор (13)"), std::string::npos) << text;
  EXPECT_NE(text.find("4 clone(s) кольцо xy б/п step 90"), std::string::npos) << text;
  EXPECT_NE(text.find("material 0: diffuse 0.5,0.5,0.25"), std::string::npos) << text;
  EXPECT_NE(text.find("texture 1: 128x128, 2 operation(s)\n    1. Chessfield(7,7)\n    2. Invert()"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("camera 3: eye 0,0,-40"), std::string::npos) << text;
}

TEST_F(FileCommands, ErrorsAreOneLineAndWriteNothing) {
  std::ostringstream out, err;
  EXPECT_EQ(runInfoCommand(path("none.vsc"), out, err), 1);
  EXPECT_EQ(runInfoCommand(file("x.txt", "hello"), out, err), 1);
  EXPECT_EQ(runResaveCommand(file("bad.vtx", "texture generation log\ntsize=7;\nend\n"), path("o.vtx"), err), 1);
  EXPECT_EQ(runResaveCommand(file("ok.vtx", "texture generation log\ntsize=32;\nend\n"), path("o.vsl"), err), 1);
  EXPECT_FALSE(exists("o.vtx"));
  EXPECT_FALSE(exists("o.vsl"));
  const std::string messages = err.str();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 4) << messages;
  EXPECT_NE(messages.find("выход должен быть файлом того же вида"), std::string::npos) << messages;

  // A log longer than its size holds is read as far as it fits, and says so.
  std::string overfull = "texture generation log\ntsize=512;\n";
  for (int i = 0; i < 100; ++i) overfull += "Invert();\n";
  err.str("");
  EXPECT_EQ(runResaveCommand(file("long.vtx", overfull), path("o.vtx"), err), 0);
  EXPECT_EQ(err.str(), "vandrel: предупреждение: " + path("long.vtx") +
                           ": Лог текстуры заполнен: при размере 512 помещается 93 операции; не загружено операций: 7\n");
}

// A pack of 253 long logs is far larger than a megabyte, and every byte of it
// comes back.
TEST_F(FileCommands, APackOfManyLongLogsComesBackWhole) {
  for (int slot = 1; slot <= 253; ++slot) {
    texgen::TextureSlot& s = texgen::textureStore.slots[slot];
    s.entryCount = 201;
    for (int e = 1; e < s.entryCount; ++e) {
      s.log[e] = texgen::TextureOp{};
      s.log[e].words[0] = texgen::kAddparticle;
      for (int p = 1; p <= 7; ++p) s.log[e].setParam(p, (slot * 7 + e + p) % 256);
    }
  }
  const std::string text = pack::writePack();
  ASSERT_GT(text.size(), 1'900'000u);
  const std::string in = file("big.vsc", text);
  std::ostringstream err;
  ASSERT_EQ(runResaveCommand(in, in, err), 0) << err.str();
  EXPECT_TRUE(slurp(in) == text);
  EXPECT_NE(info(in).find("texture 253: 32x32, 200 operation(s)"), std::string::npos);
}

// What the editor refuses is refused here too, with the file and its first bad
// line, and nothing is written; a short file of the right kind is fine.
TEST_F(FileCommands, EveryKindRefusesWhatIsNotOfItsKind) {
  struct Case {
    const char* name;
    std::string text;
    const char* expected;
  };
  const Case refused[] = {
      {"random.vsl", std::string("1,\n\0\x7f\x03", 6), "строка 2: двоичные"},
      {"letters.vsl", "1,\n1,\nabc,\n", "строка 3: ожидалось число: «abc,»"},
      {"count.vsl", "300,\n", "строка 1: значение вне допустимых пределов (1..255)"},
      {"negative.vmt", "4096,-99999999999,4096,\n", "(от 0)"},
      {"garbage.vmt", "\n\nhello world\n", "строка 3: ожидалось число"},
      {"text.vrs", "255,255,255,240,255,\ncamera_\n64,0,0,0,0,0,100,0,\nzoom,0,\n", "строка 4: ожидалось число"},
      {"zoom.vrs", "camera_\n0,0,0,0,0,0,100,0,\n", "строка 2: значение вне допустимых пределов (от 1)"},
      {"nocount.sna", "5,0,0,\n", "строка 1: ожидалась строка «число записей;»"},
      {"count.sna", "300;\n", "(1..255)"},
      {"nofirst.vtx", "tsize=64;\nInvert();\nend\n", "строка 1: ожидалась строка «texture generation log»"},
      {"size.vtx", "texture generation log\ntsize=100;\nend\n", "строка 2: значение вне"},
      {"empty.vmt", " \n\n", "файл пуст"},
  };
  for (const Case& c : refused) {
    std::ostringstream out, err;
    const std::string in = file(c.name, c.text);
    EXPECT_EQ(runInfoCommand(in, out, err), 1) << c.name;
    EXPECT_NE(err.str().find(in + ": "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(c.expected), std::string::npos) << err.str();
    EXPECT_EQ(runResaveCommand(in, path(std::string("copy-") + c.name), err), 1) << c.name;
    EXPECT_FALSE(exists(std::string("copy-") + c.name));
  }
  // Resaving the wrong file over itself leaves it as it was; a pipe is refused at once.
  std::string noise(4096, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 2654435761u >> 13);
  const std::string wrong = file("wrong.vsc", noise);
  std::ostringstream err;
  EXPECT_EQ(runResaveCommand(wrong, wrong, err), 1);
  EXPECT_EQ(slurp(wrong), noise);
  ASSERT_EQ(::mkfifo(path("pipe.vsc").c_str(), 0600), 0);
  std::ostringstream out;
  EXPECT_EQ(runInfoCommand(path("pipe.vsc"), out, err), 1);
  EXPECT_NE(err.str().find("не обычный файл"), std::string::npos) << err.str();

  const Case accepted[] = {
      {"short.vsl", "1,\n1,\n1,\n", ""},
      {"short.vmt", "32,32,", ""},
      {"fewer.vrs", "255,255,", ""},
      {"crlf.vtx", "texture generation log\r\ntsize=32;\r\nfoo();\r\nInvert();\r\n", ""},
  };
  for (const Case& c : accepted) {
    std::ostringstream out, err;
    EXPECT_EQ(runInfoCommand(file(c.name, c.text), out, err), 0) << c.name << err.str();
  }
}

}  // namespace
}  // namespace vandrel::app
