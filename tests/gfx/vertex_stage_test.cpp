#include "platform/gfx/vertex_stage.h"

#include <gtest/gtest.h>

#include <array>

namespace vandrel::gfx {
namespace {

struct VertexStage : ::testing::Test {
  DeviceState s;
  VertexStage() { resetToDefaults(s); }
  ShadedVertex shade(const Vertex& v) {
    ShadedVertex o;
    processVertices(s, &v, kFvfVertex, sizeof v, 1, &o);
    return o;
  }
  D3DLIGHT9& light(int i, D3DLIGHTTYPE type) {
    s.lights[i] = D3DLIGHT9{}, s.lights[i].Type = type, s.lightEnabled[i] = true;
    return s.lights[i];
  }
  // Colours (rgb or rgba) and texture coordinates, to float rounding.
  static void expectNear(const float* got, std::initializer_list<float> want) {
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want.begin()[i], 1e-6f) << i;
  }
  static std::array<float, 4> clip(const ShadedVertex& o) { return {o.x, o.y, o.z, o.w}; }
  static std::array<float, 4> uv(const ShadedVertex& o) {  // stage 0 (u,v), stage 1 (u,v)
    return {o.tex[0][0], o.tex[0][1], o.tex[1][0], o.tex[1][1]};
  }
};

TEST_F(VertexStage, PositionOnlyVerticesGoThroughWorldViewAndProjection) {
  s.world.m[3][0] = 1, s.world.m[3][1] = 2, s.world.m[3][2] = 3;
  s.view = D3DMATRIX{{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};  // x -> y
  s.projection = D3DMATRIX{{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 0.5f, 1}, {0, 0, -1, 0}}};
  const float positions[2][3] = {{1, 1, 1}, {0, 0, 0}};
  ShadedVertex o[2];
  processVertices(s, positions, D3DFVF_XYZ, 12, 2, o);
  // (1,1,1) -> world (2,3,4) -> camera (-3,2,4) -> clip (-6, 6, 4*0.5 - 1, 4).
  EXPECT_EQ(clip(o[0]), (std::array<float, 4>{-6, 6, 1, 4}));
  EXPECT_EQ(clip(o[1]), (std::array<float, 4>{-4, 3, 0.5f, 3}));
  EXPECT_EQ(uv(o[0]), (std::array<float, 4>{0, 0, 0, 0}));
  // A long run with padding between vertices: (i,0,1) -> camera (-2, i+1, 4).
  std::array<float, 4 * 200> run{};
  for (int i = 0; i < 200; ++i) run[4 * i] = static_cast<float>(i), run[4 * i + 2] = 1;
  std::array<ShadedVertex, 200> many;
  processVertices(s, run.data(), D3DFVF_XYZ, 16, 200, many.data());
  for (int i = 0; i < 200; ++i) EXPECT_EQ(many[i].y, 3.0f * (i + 1)) << i;
}

TEST_F(VertexStage, LightsAreCarriedIntoCameraSpaceAttenuatedAndClamped) {
  s.view = D3DMATRIX{{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}};  // y -> z
  s.renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_MATERIAL;
  s.material = {{0.5f, 0.25f, 1, 0.75f}, {0.5f, 0.5f, 0.5f, 1}, {}, {0.8f, 0, 0, 0}, 0};
  D3DLIGHT9& sun = light(3, D3DLIGHT_DIRECTIONAL);  // camera-space L = (0,0,-1)
  sun.Direction = {0, 2, 0}, sun.Ambient = {0.25f, 0.25f, 0.25f, 0}, sun.Diffuse = {1, 1, 1, 0};
  // Normal (0,-0.6,0.8) in camera space is (0,-0.8,-0.6): N.L = 0.6; ambient term 0.125.
  ShadedVertex o = shade({0, 0, 5, 0, -0.6f, 0.8f, 0xFF00FF00u, 0, 0});
  expectNear(o.diffuse, {1, 0.275f, 0.725f, 0.75f});  // red 0.8 + 0.125 + 0.3 clamps
  o = shade({0, 0, 5, 0, 0.6f, -0.8f, 0, 0, 0});      // facing away: ambient and emissive only
  expectNear(o.diffuse, {0.925f, 0.125f, 0.125f});

  // Point light at world (0,0,-1), which the view (z + 1) makes the camera-space origin.
  s.view = identityMatrix(), s.view.m[3][2] = 1, s.lightEnabled[3] = false;
  s.material.Ambient = s.material.Diffuse = {1, 1, 1, 1}, s.material.Emissive = {};
  D3DLIGHT9& lamp = light(0, D3DLIGHT_POINT);
  lamp.Position = {0, 0, -1}, lamp.Range = 3;
  lamp.Ambient = {0.3f, 0.3f, 0.3f, 0}, lamp.Diffuse = {0.6f, 0.6f, 0.6f, 0};
  lamp.Attenuation0 = 1, lamp.Attenuation1 = 0.5f, lamp.Attenuation2 = 0.25f;
  // d = 2: 1 / (1 + 1 + 1) of (0.3 + 0.6 x N.L 1).
  expectNear(shade({0, 0, 1, 0, 0, -1, 0, 0, 0}).diffuse, {0.3f, 0.3f, 0.3f});
  expectNear(shade({0, 0, 3, 0, 0, -1, 0, 0, 0}).diffuse, {0, 0, 0});  // beyond range: no ambient
  lamp.Attenuation0 = lamp.Attenuation1 = lamp.Attenuation2 = 0;
  expectNear(shade({0, 0, 1, 0, 0, -1, 0, 0, 0}).diffuse, {0, 0, 0});
}

TEST_F(VertexStage, SpecularUsesTheHalfwayVector) {
  s.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_MATERIAL;
  s.material.Specular = {1, 0.5f, 1, 1}, s.material.Power = 2;
  D3DLIGHT9& sun = light(0, D3DLIGHT_DIRECTIONAL);
  sun.Direction = {0, 0, 1}, sun.Specular = {1, 1, 0, 0};
  const Vertex v{2, 0, 2, 0, 0, -1, 0, 0, 0};
  expectNear(shade(v).specular, {0, 0, 0});  // specular off
  s.renderStates[D3DRS_SPECULARENABLE] = 1;
  // Eye direction (-1,0,-1)/sqrt2, L = (0,0,-1): N.H = cos 22.5 deg, squared (1 + 1/sqrt2) / 2.
  expectNear(shade(v).specular, {0.8535534f, 0.4267767f, 0});
  s.renderStates[D3DRS_LOCALVIEWER] = 0;  // eye along -z: H = L
  expectNear(shade(v).specular, {1, 0.5f, 0});
  expectNear(shade({2, 0, 2, 0, 0, 1, 0, 0, 0}).specular, {0, 0, 0});  // N.L < 0
  s.renderStates[D3DRS_LOCALVIEWER] = 1, s.material.Power = 0;
  expectNear(shade(v).specular, {1, 0.5f, 0});
}

TEST_F(VertexStage, ColourSourcesAndUnlitColours) {
  s.renderStates[D3DRS_AMBIENT] = 0x00FFFFFF;
  for (int i : {0, 1, 77, 128, 255}) {  // picking index i comes back exactly as i/256
    s.material.Ambient = {i / 256.0f, i / 256.0f, i / 256.0f, 1};
    const ShadedVertex o = shade({0, 0, 1, 0, 0, 1, 0xFF123456u, 0, 0});
    EXPECT_TRUE(o.diffuse[0] == i / 256.0f && o.diffuse[2] == i / 256.0f) << i;
  }
  s.material.Ambient = {0.5f, 0.5f, 0.5f, 1}, s.material.Diffuse = {0, 0, 0, 0.25f};
  s.renderStates[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_COLOR1;
  const Vertex v{0, 0, 1, 0, 0, 1, 0x80FF0033u, 0, 0};
  expectNear(shade(v).diffuse, {1, 0, 0.2f, 128 / 255.0f});  // ambient and alpha from the vertex
  s.renderStates[D3DRS_COLORVERTEX] = 0;                     // COLOR1 falls back to the material
  expectNear(shade(v).diffuse, {0.5f, 0.5f, 0.5f, 0.25f});
  s.renderStates[D3DRS_LIGHTING] = 0;
  expectNear(shade(v).diffuse, {1, 0, 0.2f, 128 / 255.0f});
  const float position[3] = {0, 0, 1};
  ShadedVertex o;
  processVertices(s, position, D3DFVF_XYZ, 12, 1, &o);
  expectNear(o.diffuse, {1, 1, 1, 1});
  expectNear(o.specular, {0, 0, 0});
}

TEST_F(VertexStage, LinearFogFromCameraDepth) {
  s.renderStates[D3DRS_FOGSTART] = floatBits(10), s.renderStates[D3DRS_FOGEND] = floatBits(20);
  auto fog = [&](float z) { return shade({0, 0, z, 0, 0, 1, 0, 0, 0}).fog; };
  s.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
  EXPECT_EQ(fog(15), 1);  // fog disabled
  s.renderStates[D3DRS_FOGENABLE] = 1;
  EXPECT_EQ((std::array{fog(5), fog(10), fog(15), fog(-17.5f), fog(20), fog(30)}),
            (std::array<float, 6>{1, 1, 0.5f, 0.25f, 0, 0}));
}

TEST_F(VertexStage, GeneratedTextureCoordinates) {
  s.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
  s.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
  ShadedVertex o = shade({0, 0, 5, 0, 0, -1, 0, 0.25f, 0.75f});  // R = (0,0,-1)
  expectNear(uv(o).data(), {0, 0, 0, 0});  // stage 1 names set 1, which does not exist
  s.stageStates[1][D3DTSS_TEXCOORDINDEX] = 0;
  o = shade({3, 0, 4, 0, 0, -1, 0, 0.25f, 0.75f});  // E = (0.6,0,0.8): R = (0.6,0,-0.8)
  expectNear(uv(o).data(), {0.6f, 0, 0.25f, 0.75f});
  s.renderStates[D3DRS_NORMALIZENORMALS] = 1;  // 45-degree normal sends the eye ray down
  expectNear(uv(shade({0, 0, 5, 0, -3, -3, 0, 0, 0})).data(), {0, -1});
  s.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACENORMAL;
  s.stageStates[1][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEPOSITION;
  o = shade({3, -2, 4, 3, -4, 0, 0, 0, 0});
  expectNear(uv(o).data(), {0.6f, -0.8f, 3, -2});  // normal (3,-4,0) normalised; position
}

}  // namespace
}  // namespace vandrel::gfx
