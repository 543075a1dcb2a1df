#pragma once
// The texture operations. Each works on one square layer of edge x edge pixels
// (row-major, top row first; bytes blue, green, red, alpha in memory, so a pixel
// reads as 0xAARRGGBB). The dispatcher has already made the pre-copy of the layer
// below where the operation needs it. Operations that must read their input while
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
void blurPass(Pixel* layer, int edge);
void motionBlurPass(Pixel* layer, int edge);
void radialBlurPass(Pixel* layer, Pixel* scratch, int edge, int zoom);
void median(Pixel* layer, Pixel* scratch, int edge);
void dilate(Pixel* layer, Pixel* scratch, int edge);
void erode(Pixel* layer, Pixel* scratch, int edge);
void edgeDetect(Pixel* layer, Pixel* scratch, int edge);  // catalogue name "edge"
void emboss(Pixel* layer, Pixel* scratch, int edge);
void sharpen(Pixel* layer, Pixel* scratch, int edge);

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
void invert(Pixel* layer, int edge);
void scaleColor(Pixel* layer, int edge, int r, int g, int b);
void adjustColor(Pixel* layer, int edge, int hue, int brightness, int contrast);
void box(Pixel* layer, int edge, int x, int y, int width, int height, int r, int g, int b);
void circle(Pixel* layer, int edge, int x, int y, int radius, int r, int g, int b);
void copyBToAlfa(Pixel* layer, int edge);
void clearRgb(Pixel* layer, int edge);
void clearAlfa(Pixel* layer, int edge);

}  // namespace vandrel::texgen
