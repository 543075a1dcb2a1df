#pragma once
// Everything a pack holds, as one document, and the state the editor keeps
// beside it. The tables stay process-wide (the core reaches them directly); this
// is the one place that builds and resets them, in the order they depend on.

#include <functional>

namespace vandrel::pack {

// Texture catalogue and store (with the layer stack), scenes with scene 0's
// default object, materials, render settings and cameras, sinus tables, undo:
// what a file is read into.
void resetDocument();

// The document of an editor or a test: building one empties every hook and
// listener, then resets the document and the state beside it (mesh, frame, 3D
// view, texture editor, preview, texture animation) to the start-up state.
// Its end empties the hooks and listeners again, so nothing calls into windows
// that went with it. One lives at a time.
class Document {
 public:
  Document();
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
};

// The whole document changed (a pack was read): each window that shows document
// data refreshes itself once, in the order the windows registered.
void addDocumentListener(const void* window, std::function<void()> refresh);
void removeDocumentListener(const void* window);
void notifyDocumentChanged();

}  // namespace vandrel::pack
