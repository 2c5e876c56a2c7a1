// Every result the core takes from extended precision, swept over the inputs
// its callers can give. The digests were taken from the x87 build; the build
// with the soft extended type (EMBERDELL_SOFT_EXTENDED, and WebAssembly) must
// give the same, so the two are held to each other through them.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/dialogs/uAlphaIconBlend.h"
#include "core/dialogs/uPerformanceSettings.h"
#include "core/engine/uFitPicture.h"
#include "core/engine/uFlameStep.h"
#include "core/engine/uResample.h"
#include "core/sound/uTBackgroundSound.h"
#include "core/styles/uPresets.h"
#include "tests/support/digest.h"

namespace emberdell {
namespace {

using test::TDigest;

uint64_t BandRowsDigest() {
  TDigest D;
  for (int H = 1; H <= 2400; ++H)
    for (int PH = 0; PH <= 100; ++PH) {
      int Top = 0, Bottom = 0;
      BandRows(H, PH, Top, Bottom);
      D.Add(Top);
      D.Add(Bottom);
    }
  return D.Value();
}

uint64_t TapsDigest() {
  TDigest D;
  for (int S = 1; S <= 200; ++S)
    for (int Dest = 1; Dest <= 67; ++Dest) {
      const TContributorTable& T = GetContributors(S, Dest);
      for (const auto& List : T.Contributors) {
        D.Add(static_cast<int64_t>(List.size()));
        for (const TContributor& C : List) {
          D.Add(C.Pixel);
          D.Add(C.Weight);
        }
      }
    }
  return D.Value();
}

// The screens and pictures people have, then pseudo-random sizes up to the
// largest picture accepted.
uint64_t FitDigest() {
  TDigest D;
  auto Fit = [&D](int AW, int AH, int PW, int PH) {
    const TFitGeometry G = FitPicture(AW, AH, PW, PH);
    D.Add(G.Width);
    D.Add(G.Height);
    D.Add(G.X);
    D.Add(G.Y);
  };
  const int Sizes[][2] = {{640, 480},   {800, 600},   {1024, 767},  {1024, 768},  {1280, 720},  {1280, 1024},
                          {1366, 768},  {1440, 900},  {1600, 1200}, {1920, 1080}, {1920, 1200}, {2560, 1440},
                          {3840, 2160}, {4000, 3000}, {3000, 4000}, {1, 1},       {1, 5000},    {5000, 1}};
  for (const auto& A : Sizes)
    for (const auto& P : Sizes) Fit(A[0], A[1], P[0], P[1]);
  uint32_t Seed = 12345;
  auto Next = [&Seed](uint32_t Range) {
    Seed = Seed * 134775813u + 1u;
    return static_cast<int>(static_cast<uint64_t>(Seed) * Range >> 32) + 1;
  };
  for (int i = 0; i < 30000; ++i) {
    const int AW = Next(4000), AH = Next(2500), PW = Next(8000), PH = Next(8000);
    Fit(AW, AH, PW, PH);
  }
  return D.Value();
}

// A random style's curve comes from A in -20 .. 254 and B in 0 .. 599.
uint64_t CurvesDigest() {
  TDigest D;
  for (int A = -20; A <= 254; ++A)
    for (int B = 0; B < 600; ++B) {
      uint8_t Curve[256] = {};
      MakeRandomCurve(A, B, Curve);
      for (uint8_t v : Curve) D.Add(v);
    }
  return D.Value();
}

uint64_t BlendDigest() {
  TDigest D;
  for (int Alpha = 0; Alpha <= 255; ++Alpha)
    for (int Icon = 0; Icon <= 255; ++Icon)
      for (int Background = 0; Background <= 255; ++Background)
        D.Add(BlendAlphaChannel(uint8_t(Background), uint8_t(Icon), uint8_t(Alpha)));
  return D.Value();
}

uint64_t LevelsDigest() {
  TDigest D;
  for (int V = 0; V <= 100; ++V) D.Add(VolumeToAttenuation(V));
  for (int P = 0; P <= 100; ++P) D.Add(MonitorBandRows(P));
  return D.Value();
}

TEST(ExtendedResults, SweepsGiveTheX87Digests) {
  struct TCase {
    const char* Name;
    uint64_t (*Sweep)();
    uint64_t Expected;
  };
  const TCase Cases[] = {
      {"band rows, heights 1..2400 x picture heights 0..100", BandRowsDigest, 0x518616e265f403a2u},
      {"tap tables, 200 x 67 sizes", TapsDigest, 0x7b5f732c50820ed6u},
      {"fitted sizes", FitDigest, 0x35a38026ca53ba2cu},
      {"random style curves", CurvesDigest, 0xdbad13eb4a9c8fb4u},
      {"icon blend, every byte triple", BlendDigest, 0xc9206bb22b77a485u},
      {"sound levels and the monitor's band", LevelsDigest, 0xf9a522a251338f60u},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const uint64_t Got = C.Sweep();
    EXPECT_EQ(Got, C.Expected) << std::hex << "0x" << Got;
  }
}

// Rows where a quad-precision long double gives another answer.
TEST(ExtendedResults, BandRowsWhereOtherPrecisionsDiffer) {
  struct TCase {
    int H, PH, Top, Bottom;
  };
  const TCase Cases[] = {
      {58, 0, 29, 29},     // 58 / 100 x 100 / 2 comes out at 29 exactly
      {212, 50, 52, 159},  // 212 / 100 x 50 / 2 lands just below 53
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.H << " at " << C.PH);
    int Top = -1, Bottom = -1;
    BandRows(C.H, C.PH, Top, Bottom);
    EXPECT_EQ(Top, C.Top);
    EXPECT_EQ(Bottom, C.Bottom);
  }
}

}  // namespace
}  // namespace emberdell
