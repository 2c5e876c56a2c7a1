#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "core/shared/uRandom.h"
#include "core/engine/uResample.h"

using namespace emberdell;

namespace {

// The filter from its general B, C form, in double precision.
double Mitchell(double x) {
  const double B = 1.0 / 3, C = 1.0 / 3;
  x = std::fabs(x);
  if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
  if (x < 2)
    return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
  return 0;
}

int Reflect(long long j, int S) {
  if (j < 0)
    j = -j;
  else if (j >= S)
    j = 2LL * S - 1 - j;
  return int(std::min<long long>(std::max<long long>(j, 0), S - 1));
}

// Every source index whose distance (positions and the scale in single
// precision, as the tables define them) is under 2, over a generous range.
std::vector<std::vector<TContributor>> Reference(int S, int D) {
  std::vector<std::vector<TContributor>> r(D);
  const bool Shrink = D < S;
  const float Scale = Shrink ? float(double(D) / S) : float(double(S) / D);
  for (int i = 0; i < D; ++i) {
    const double Centre = Shrink ? double(i) / Scale : double(float(double(i) * Scale));
    const long long Reach = Shrink ? 4LL * S / D + 4 : 4;
    for (long long j = (long long)std::floor(Centre) - Reach; j <= (long long)std::ceil(Centre) + Reach; ++j) {
      const float x = Shrink ? float(std::fabs(double(i) - double(j) * Scale)) : float(std::fabs(Centre - double(j)));
      if (!(x < 2.0f)) continue;
      const double w = Mitchell(x) * (Shrink ? double(Scale) : 1.0) * 65536;
      r[i].push_back({Reflect(j, S), int32_t(std::lround(w))});
    }
  }
  return r;
}

const std::vector<std::pair<int, int>> Sizes = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 5},  {5, 1},
                                                 {2, 4}, {4, 2}, {3, 7}, {7, 3}, {10, 10}, {100, 37},
                                                 {37, 100}, {1600, 1036}, {1200, 777}, {4000, 1453}, {640, 1920}};

// Resizes with the tables in the plainest way: a whole intermediate image,
// every tap including the zero ones.
std::vector<uint8_t> PlainResample(const std::vector<uint8_t>& Src, int SW, int SH, int DW, int DH) {
  const auto& H = GetContributors(SW, DW);
  const auto& V = GetContributors(SH, DH);
  std::vector<uint8_t> Mid(size_t(DW) * SH * 4), Out(size_t(DW) * DH * 4, 0);
  for (int y = 0; y < SH; ++y)
    for (int x = 0; x < DW; ++x)
      for (int c = 0; c < 3; ++c) {
        int32_t Sum = 0;
        for (const auto& t : H.Contributors[x]) Sum += t.Weight * Src[(size_t(y) * SW + t.Pixel) * 4 + c];
        Mid[(size_t(y) * DW + x) * 4 + c] = ClampChannelSum(Sum);
      }
  for (int y = 0; y < DH; ++y)
    for (int x = 0; x < DW; ++x)
      for (int c = 0; c < 3; ++c) {
        int32_t Sum = 0;
        for (const auto& t : V.Contributors[y]) Sum += t.Weight * Mid[(size_t(t.Pixel) * DW + x) * 4 + c];
        Out[(size_t(y) * DW + x) * 4 + c] = ClampChannelSum(Sum);
      }
  return Out;
}

std::vector<uint8_t> Noise(int W, int H, uint32_t Seed) {
  std::vector<uint8_t> px(size_t(W) * H * 4);
  for (auto& b : px) b = uint8_t(RandomStep(Seed, 256));
  return px;
}

}  // namespace

TEST(ResampleFilter, MitchellNetravaliWithOneThirdOneThird) {
  EXPECT_NEAR(double(MitchellFilter(0)), 8.0 / 9, 1e-15);
  EXPECT_NEAR(double(MitchellFilter(1)), 1.0 / 18, 1e-15);
  EXPECT_NEAR(double(MitchellFilter(-1)), 1.0 / 18, 1e-15);
  EXPECT_EQ(MitchellFilter(2), 0);
  EXPECT_EQ(MitchellFilter(7.5), 0);
  for (double x = -2.5; x <= 2.5; x += 1.0 / 64) EXPECT_NEAR(double(MitchellFilter(x)), Mitchell(x), 1e-14) << x;
}

TEST(Contributors, MatchAPlainEvaluationOfTheFilter) {
  for (auto [S, D] : Sizes) {
    const TContributorTable& T = GetContributors(S, D);
    ASSERT_EQ(T.SourceLength, S);
    ASSERT_EQ(T.DestLength, D);
    ASSERT_EQ(int(T.Contributors.size()), D);
    const auto Expected = Reference(S, D);
    for (int i = 0; i < D; ++i) {
      const auto& Got = T.Contributors[i];
      ASSERT_EQ(Got.size(), Expected[i].size()) << S << "->" << D << " at " << i;
      if (D < S) EXPECT_LE(int(Got.size()), 4 * S / D + 1);
      else EXPECT_LE(Got.size(), 4u);
      long Sum = 0;
      for (size_t k = 0; k < Got.size(); ++k) {
        EXPECT_EQ(Got[k].Pixel, Expected[i][k].Pixel) << S << "->" << D << " at " << i << " tap " << k;
        EXPECT_NEAR(Got[k].Weight, Expected[i][k].Weight, 1) << S << "->" << D << " at " << i << " tap " << k;
        EXPECT_GE(Got[k].Pixel, 0);
        EXPECT_LT(Got[k].Pixel, S);
        Sum += Got[k].Weight;
      }
      // Enlarging sums at most four rounded values of a filter that sums to
      // one at integer steps; shrinking samples it at other steps, where the
      // sum strays by up to about 1.2 % (3 -> 2, 1600 -> 1036), and rounds
      // many tiny weights for large ratios.
      EXPECT_NEAR(Sum, 65536, D >= S ? 2 : 1000) << S << "->" << D << " at " << i;
    }
  }
}

TEST(Contributors, EnlargingTwoToFourMirrorsAtBothEnds) {
  const TContributorTable& T = GetContributors(2, 4);
  auto Taps = [&](int i) {
    std::vector<std::pair<int, int>> r;
    for (const auto& t : T.Contributors[i]) r.push_back({t.Pixel, t.Weight});
    return r;
  };
  // f(0) = 8/9, f(1/2) = 77/144, f(1) = 1/18, f(3/2) = -5/144, in 16.16.
  using V = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Taps(0), (V{{1, 3641}, {0, 58254}, {1, 3641}}));                   // -1 -> 1
  EXPECT_EQ(Taps(1), (V{{1, -2276}, {0, 35044}, {1, 35044}, {1, -2276}}));     // -1 -> 1, 2 -> 1
  EXPECT_EQ(Taps(2), (V{{0, 3641}, {1, 58254}, {1, 3641}}));                   // 2 -> 1
  EXPECT_EQ(Taps(3), (V{{0, -2276}, {1, 35044}, {1, 35044}, {0, -2276}}));     // 2 -> 1, 3 -> 0
}

TEST(Contributors, OneAndTwoPixelLengthsStayInsideTheSource) {
  // Mirroring alone would reach -2 -> 2 or 2 * S - 1 - j < 0 here.
  for (int S = 1; S <= 3; ++S)
    for (int D = 1; D <= 9; ++D)
      for (const auto* T : {&GetContributors(S, D), &GetContributors(D, S)})
        for (const auto& List : T->Contributors)
          for (const auto& t : List) {
            EXPECT_GE(t.Pixel, 0);
            EXPECT_LT(t.Pixel, T->SourceLength);
          }
  EXPECT_TRUE(GetContributors(0, 3).Contributors.size() == 3 && GetContributors(0, 3).Contributors[0].empty());
  EXPECT_TRUE(GetContributors(3, 0).Contributors.empty());
}

TEST(Contributors, CacheKeepsOneTablePerPairAcrossThreads) {
  EXPECT_EQ(&GetContributors(123, 45), &GetContributors(123, 45));
  EXPECT_NE(&GetContributors(123, 45), &GetContributors(45, 123));
  // Pairs no other test uses, so the threads race to build them.
  constexpr int Threads = 4, Pairs = 40;
  std::vector<std::vector<const TContributorTable*>> Seen(Threads, std::vector<const TContributorTable*>(Pairs));
  std::atomic<int> Ready{0};
  std::vector<std::thread> Pool;
  for (int t = 0; t < Threads; ++t)
    Pool.emplace_back([&, t] {
      ++Ready;
      while (Ready.load() < Threads) std::this_thread::yield();
      for (int p = 0; p < Pairs; ++p) {
        const int k = (p + t * 7) % Pairs;
        Seen[t][k] = &GetContributors(3001 + k, 997 + 13 * k);
      }
    });
  for (auto& th : Pool) th.join();
  for (int p = 0; p < Pairs; ++p) {
    EXPECT_EQ(Seen[0][p]->SourceLength, 3001 + p);
    EXPECT_EQ(int(Seen[0][p]->Contributors.size()), 997 + 13 * p);
    for (int t = 1; t < Threads; ++t) EXPECT_EQ(Seen[t][p], Seen[0][p]);
  }
}

TEST(ResampleBitmap, ChannelSumClamp) {
  EXPECT_EQ(ClampChannelSum(255 * 65536), 255);
  EXPECT_EQ(ClampChannelSum(255 * 65536 + 1), 255);
  EXPECT_EQ(ClampChannelSum(255 * 65536 + 65536), 255);
  EXPECT_EQ(ClampChannelSum(255 * 65536 - 1), 254);
  EXPECT_EQ(ClampChannelSum(-1), 0);
  EXPECT_EQ(ClampChannelSum(-2276 * 255), 0);
  EXPECT_EQ(ClampChannelSum(65535), 0);
  EXPECT_EQ(ClampChannelSum(65536), 1);
}

TEST(ResampleBitmap, SharpEdgeOvershootIsClampedBothWays) {
  // 0 0 255 255 enlarged to 8: the filter's negative lobes push the sums
  // below 0 before the edge and above 255 after it.
  std::vector<uint8_t> Src(16, 0), Dst(32, 0), Portable(32, 0);
  for (int x = 2; x < 4; ++x) Src[x * 4] = 255, Src[x * 4 + 1] = 100;
  ResampleBitmap(Src.data(), 4, 1, Dst.data(), 8, 1);
  ResampleBitmap(Src.data(), 4, 1, Portable.data(), 8, 1, TResampleKernel::Portable);
  EXPECT_EQ(Dst, Portable);
  EXPECT_EQ(Dst[1 * 4], 0);                             // 255 x -2276 < 0
  EXPECT_EQ(Dst[2 * 4], (255 * 3641) >> 16);            // 14
  EXPECT_EQ(Dst[5 * 4], 255);                           // 255 x 67812 > 255 x 65536
  EXPECT_EQ(Dst[5 * 4 + 1], (100 * 67812) >> 16);       // no clamp needed: 103
}

TEST(ResampleBitmap, AgreesWithAPlainTwoPassResize) {
  const std::vector<std::array<int, 4>> Cases = {
      {37, 23, 90, 61}, {90, 61, 37, 23}, {64, 20, 17, 50}, {5, 40, 40, 5}, {1, 1, 3, 2}, {300, 200, 207, 155}};
  uint32_t Seed = 99;
  for (const auto& [SW, SH, DW, DH] : Cases) {
    const auto Src = Noise(SW, SH, Seed++);
    const auto Expected = PlainResample(Src, SW, SH, DW, DH);
    for (auto Kernel : {TResampleKernel::Fastest, TResampleKernel::Portable}) {
      std::vector<uint8_t> Dst(size_t(DW) * DH * 4, 0);
      ResampleBitmap(Src.data(), SW, SH, Dst.data(), DW, DH, Kernel);
      EXPECT_EQ(Dst, Expected) << SW << "x" << SH << " -> " << DW << "x" << DH << " kernel " << int(Kernel);
    }
  }
}

TEST(ResampleBitmap, ConstantPictureStaysConstantAndAlphaIsLeftAlone) {
  // Sizes down to one pixel on either side, in both directions; exact-size
  // buffers so the sanitizer build catches any read or write outside them.
  const int Lengths[] = {1, 2, 3, 5, 16, 41};
  for (auto Kernel : {TResampleKernel::Fastest, TResampleKernel::Portable})
  for (int SW : Lengths)
    for (int SH : {1, 2, 7})
      for (int DW : Lengths)
        for (int DH : {1, 2, 9}) {
          std::vector<uint8_t> Src(size_t(SW) * SH * 4);
          for (size_t p = 0; p < Src.size(); p += 4) Src[p] = 10, Src[p + 1] = 128, Src[p + 2] = 250, Src[p + 3] = 7;
          std::vector<uint8_t> Dst(size_t(DW) * DH * 4, 0x5A);
          ResampleBitmap(Src.data(), SW, SH, Dst.data(), DW, DH, Kernel);
          // Each pass truncates a weight sum that can be a little under
          // 65536; shrinking samples the filter off its integer lattice,
          // where its weights sum to one only within about 1.2 %.
          const double Slack = (DW < SW || DH < SH) ? 0.025 : 0.0;
          for (size_t p = 0; p < Dst.size(); p += 4) {
            EXPECT_NEAR(Dst[p], 10, 2 + 10 * Slack);
            EXPECT_NEAR(Dst[p + 1], 128, 2 + 128 * Slack);
            EXPECT_NEAR(Dst[p + 2], 250, 2 + 250 * Slack);
            EXPECT_EQ(Dst[p + 3], 0x5A);
          }
        }
  // The picture overload sizes nothing but a short destination buffer.
  TPixelImage From{3, 2, std::vector<uint8_t>(24, 200)}, To{4, 4, {}};
  ResampleBitmap(From, To);
  ASSERT_EQ(To.Pixels.size(), 64u);
  EXPECT_NEAR(To.Pixels[4 * 5], 200, 2);
  EXPECT_EQ(To.Pixels[4 * 5 + 3], 0);
}
