#include "platform/gfx/pixel_stage.h"

namespace vandrel::gfx::raster {

namespace {

// Register number of a D3DTA argument; modifier bits are ignored and arguments
// this device does not have read the current colour.
int registerOf(DWORD arg) {
  switch (arg & 0xF) {
    case D3DTA_DIFFUSE:
      return 0;
    case D3DTA_TEXTURE:
      return 2;
    default:
      return 1;
  }
}

bool usesArg1(DWORD op) { return op != D3DTOP_SELECTARG2 && op != D3DTOP_DISABLE; }
bool usesArg2(DWORD op) { return op != D3DTOP_SELECTARG1 && op != D3DTOP_DISABLE; }

bool readsTextureRegister(const StageProgram& p) {
  return (usesArg1(p.colourOp) && p.colourArg1 == 2) ||
         (usesArg2(p.colourOp) && p.colourArg2 == 2) || (usesArg1(p.alphaOp) && p.alphaArg1 == 2) ||
         (usesArg2(p.alphaOp) && p.alphaArg2 == 2);
}

// Which of texture and diffuse one operation of stage 0 multiplies together, if
// it is such a product (CURRENT is the diffuse colour at stage 0).
struct Factors {
  bool product, texture, diffuse;
};
Factors factorsOf(DWORD op, int arg1, int arg2) {
  switch (op) {
    case D3DTOP_MODULATE:
      if ((arg1 == 2) == (arg2 == 2)) return {false, false, false};
      return {true, true, true};
    case D3DTOP_SELECTARG1:
      return {true, arg1 == 2, arg1 != 2};
    case D3DTOP_SELECTARG2:
      return {true, arg2 == 2, arg2 != 2};
    case D3DTOP_DISABLE:
      return {true, false, true};  // alpha only: the current alpha
    default:
      return {false, false, false};
  }
}

}  // namespace

unsigned comparisonMask(DWORD function) {
  switch (function) {
    case D3DCMP_NEVER:
      return 0;
    case D3DCMP_LESS:
      return 1;
    case D3DCMP_EQUAL:
      return 2;
    case D3DCMP_LESSEQUAL:
      return kLessEqualMask;
    case D3DCMP_GREATER:
      return 4;
    case D3DCMP_NOTEQUAL:
      return 5;
    case D3DCMP_GREATEREQUAL:
      return 6;
    default:
      return 7;  // ALWAYS, and anything unknown
  }
}

PixelStage::PixelStage(const DeviceState& state, const RenderTarget& target)
    : colour(target.colour),
      depth(target.depth),
      width(target.width),
      height(target.height),
      pitch(target.pitch) {
  depthTest = state.rs(D3DRS_ZENABLE) != D3DZB_FALSE && depth != nullptr;
  depthWrite = depthTest && state.rs(D3DRS_ZWRITEENABLE) != 0;
  depthMask = comparisonMask(state.rs(D3DRS_ZFUNC));

  // Only stages 0 and 1 exist here: a vertex carries two coordinate sets.
  stageCount = 0;
  for (int s = 0; s < 2; ++s) {
    hasTexture[s] = magLinear[s] = minLinear[s] = false;
    stage[s] = StageProgram{D3DTOP_DISABLE, D3DTOP_DISABLE, 1, 1, 1, 1};
  }
  for (int s = 0; s < 2 && state.tss(s, D3DTSS_COLOROP) != D3DTOP_DISABLE; ++s) {
    StageProgram& p = stage[s];
    p.colourOp = state.tss(s, D3DTSS_COLOROP);
    p.alphaOp = state.tss(s, D3DTSS_ALPHAOP);
    p.colourArg1 = registerOf(state.tss(s, D3DTSS_COLORARG1));
    p.colourArg2 = registerOf(state.tss(s, D3DTSS_COLORARG2));
    p.alphaArg1 = registerOf(state.tss(s, D3DTSS_ALPHAARG1));
    p.alphaArg2 = registerOf(state.tss(s, D3DTSS_ALPHAARG2));
    ++stageCount;

    const Texture* texture = state.textures[s].get();
    // A stage that reads a texture none is bound to passes the current colour and
    // alpha on (at stage 0, the diffuse colour): the missing texture is not white.
    if (!texture && readsTextureRegister(p))
      p = StageProgram{D3DTOP_SELECTARG1, D3DTOP_SELECTARG1, 1, 1, 1, 1};
    hasTexture[s] = readsTextureRegister(p);
    if (!hasTexture[s]) continue;
    Sampler& smp = sampler[s];
    smp.texels = texture->pixels();
    smp.edge = texture->edge();
    smp.opaque = V4{0.0f, 0.0f, 0.0f, texture->format() == D3DFMT_X8R8G8B8 ? 1.0f : 0.0f};
    smp.addressU =
        state.samp(s, D3DSAMP_ADDRESSU) == D3DTADDRESS_CLAMP ? Sampler::kClamp : Sampler::kWrap;
    smp.addressV =
        state.samp(s, D3DSAMP_ADDRESSV) == D3DTADDRESS_CLAMP ? Sampler::kClamp : Sampler::kWrap;
    smp.fastWrap = smp.addressU == Sampler::kWrap && smp.addressV == Sampler::kWrap &&
                   (smp.edge & (smp.edge - 1)) == 0;
    smp.mask = smp.edge - 1;
    while ((1 << smp.shift) < smp.edge) ++smp.shift;
    smp.scale = splat(static_cast<float>(smp.edge));
    smp.scale256 = smp.scale * 256.0f;
    magLinear[s] = state.samp(s, D3DSAMP_MAGFILTER) == D3DTEXF_LINEAR;
    minLinear[s] = state.samp(s, D3DSAMP_MINFILTER) == D3DTEXF_LINEAR;
  }

  wideCovered = true;
  for (int s = 0; s < 2; ++s) wideCovered = wideCovered && (!hasTexture[s] || sampler[s].fastWrap);

  const Factors colourFactors =
      factorsOf(stage[0].colourOp, stage[0].colourArg1, stage[0].colourArg2);
  const Factors alphaFactors = factorsOf(stage[0].alphaOp, stage[0].alphaArg1, stage[0].alphaArg2);
  if (stageCount == 0) {
    productForm = true;
    textureFloor = splat(1.0f);
    diffuseFloor = splat(0.0f);
  } else {
    productForm = stageCount == 1 && colourFactors.product && alphaFactors.product;
    const float tc = colourFactors.texture ? 0.0f : 1.0f, ta = alphaFactors.texture ? 0.0f : 1.0f;
    const float dc = colourFactors.diffuse ? 0.0f : 1.0f, da = alphaFactors.diffuse ? 0.0f : 1.0f;
    textureFloor = V4{tc, tc, tc, ta};
    diffuseFloor = V4{dc, dc, dc, da};
  }

  specular = state.rs(D3DRS_SPECULARENABLE) != 0;
  fog = state.rs(D3DRS_FOGENABLE) != 0;
  const DWORD fc = state.rs(D3DRS_FOGCOLOR);
  fogColour = unpack(fc & 0x00FFFFFFu);

  alphaTest = state.rs(D3DRS_ALPHATESTENABLE) != 0;
  alphaMask = comparisonMask(state.rs(D3DRS_ALPHAFUNC));
  alphaRef = state.rs(D3DRS_ALPHAREF) & 0xFF;

  blend = state.rs(D3DRS_ALPHABLENDENABLE) != 0;
  blendOp = state.rs(D3DRS_BLENDOP);
  srcBlend = state.rs(D3DRS_SRCBLEND);
  destBlend = state.rs(D3DRS_DESTBLEND);
}

}  // namespace vandrel::gfx::raster
