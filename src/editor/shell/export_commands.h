#pragma once
// The frame window's ways out: a folder of textures, a glTF scene and a video,
// each chosen through the prompts, written behind a progress dialog that can
// cancel it.

namespace vandrel::shell {

// "Экспорт сцены (glTF)...": the current scene as .glb or .gltf; what glTF
// cannot hold is named in the status bar.
void exportScene();

// "Экспорт текстур...": every slot with a log as FOLDER/slot_NNN.png.
void exportTextures();

// "Записать видео...": a range of animation times as WebM, MP4 or numbered PNGs,
// drawn with the 3D view's toggles.
void recordVideo();

}  // namespace vandrel::shell
