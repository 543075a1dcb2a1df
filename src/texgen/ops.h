#pragma once
// The texture operations. Each works on one square layer of edge x edge pixels
// (row-major, top row first; bytes blue, green, red, alpha in memory, so a pixel
// reads as 0xAARRGGBB). The dispatcher has already made the pre-copy of the layer
// below where the operation needs it; those given `below` read it themselves, which
// saves the copy. Operations that must read their input while
// writing their output use the scratch image, which holds at least 2048 x 2048
// pixels. Parameters are passed in catalogue order; each operation scales them
// itself.

#include <cstdint>

namespace vandrel::texgen {

using Pixel = std::uint32_t;

// --- generators ---------------------------------------------------------------
void cells(Pixel* layer, int edge, int alpha, int density, int brightness, int complexity);
void stars(Pixel* layer, int edge, int count, int brightness);
void mandelBrot(Pixel* layer, int edge, int x, int zoomX, int y, int zoomY);
void plasm(Pixel* layer, int edge, int freqX, int offsetX, int freqY, int offsetY);
void julia(Pixel* layer, int edge, int param1, int param2);
void noise(Pixel* layer, int edge, int amplitude);
void chessfield(Pixel* layer, int edge, int cellsX, int cellsY);

// --- distortions --------------------------------------------------------------
void sindistort(Pixel* layer, Pixel* scratch, int edge, int ampX, int freqX, int ampY, int freqY);
void rotorzoom(Pixel* layer, Pixel* scratch, int edge, int x, int y, int rotation, int scale);
void twirl(Pixel* layer, Pixel* scratch, int edge, int x, int y, int rotation, int twist, int radius);
void lenz(Pixel* layer, Pixel* scratch, int edge, int x, int y, int strength, int radius);
void pshift(Pixel* layer, int edge, int shiftR, int shiftG, int shiftB, int saturation);
void radialPshift(Pixel* layer, Pixel* scratch, int edge, int shiftR, int shiftG, int shiftB,
                  int saturation);
void roll(Pixel* layer, Pixel* scratch, int edge, int x, int y, int mirror);
void tiling(Pixel* layer, Pixel* scratch, int edge, int x, int y, int angleStep, int mixType);
void mosaic(Pixel* layer, Pixel* scratch, int edge, int order);

// --- filters (one pass; the dispatcher repeats blur, motion blur and radial blur) ---
// Blur and motion blur read the layer below (or the layer itself, on later passes:
// below == layer) and write the layer.
void blurPass(const Pixel* below, Pixel* layer, int edge);
void motionBlurPass(const Pixel* below, Pixel* layer, int edge);
// Radial blur writes every pixel of output from input; the two must not overlap.
void radialBlurPass(const Pixel* input, Pixel* output, int edge, int zoom);
// The 3 x 3 filters read the layer below and write every pixel of the layer; the two
// must not overlap.
void median(const Pixel* below, Pixel* layer, int edge);
void dilate(const Pixel* below, Pixel* layer, int edge);
void erode(const Pixel* below, Pixel* layer, int edge);
void edgeDetect(const Pixel* below, Pixel* layer, int edge);  // catalogue name "edge"
void emboss(const Pixel* below, Pixel* layer, int edge);
void sharpen(const Pixel* below, Pixel* layer, int edge);

// --- colour, mixing and drawing -----------------------------------------------
void addparticle(Pixel* layer, int edge, double x, double y, double r, double g, double b,
                 double radius, double brightness);
void clear(Pixel* layer, int edge);
// Sources are whole layers of the same edge; the layer's alpha bytes stay.
void mixer(Pixel* layer, const Pixel* source1, const Pixel* source2, int edge, int weight1,
           int weight2, int type);
void borderCrossfade(Pixel* layer, int edge, int zone, int direction);
void solidfill(Pixel* layer, Pixel* scratch, int edge, int x, int y, int r, int g, int b,
               int colorRange);
// The per-pixel colour operations come in two forms: in place, and from the layer
// below into the layer (the two are the same image or do not overlap).
void invert(Pixel* layer, int edge);
void invert(const Pixel* below, Pixel* layer, int edge);
void scaleColor(Pixel* layer, int edge, int r, int g, int b);
void scaleColor(const Pixel* below, Pixel* layer, int edge, int r, int g, int b);
void adjustColor(Pixel* layer, int edge, int hue, int brightness, int contrast);
void adjustColor(const Pixel* below, Pixel* layer, int edge, int hue, int brightness, int contrast);
void box(Pixel* layer, int edge, int x, int y, int width, int height, int r, int g, int b);
void circle(Pixel* layer, int edge, int x, int y, int radius, int r, int g, int b);
void copyBToAlfa(Pixel* layer, int edge);
void copyBToAlfa(const Pixel* below, Pixel* layer, int edge);
void clearRgb(Pixel* layer, int edge);
void clearRgb(const Pixel* below, Pixel* layer, int edge);
void clearAlfa(Pixel* layer, int edge);
void clearAlfa(const Pixel* below, Pixel* layer, int edge);

}  // namespace vandrel::texgen
