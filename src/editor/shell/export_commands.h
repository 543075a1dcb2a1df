#pragma once
// The frame window's ways out: a folder of textures, a glTF scene and a video,
// each chosen through the prompts, with its progress in the status bar.

namespace vandrel::shell {

// "Экспорт текстур...": every slot with a log as FOLDER/slot_NNN.png.
void exportTextures();

}  // namespace vandrel::shell
