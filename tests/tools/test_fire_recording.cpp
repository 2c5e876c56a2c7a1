#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/uFireRecording.h"

using namespace emberdell;

namespace {

// Built once: every test looks at the same recording.
const std::vector<uint8_t>& Recording() {
  static const std::vector<uint8_t> Bytes = MakeFireRecording();
  return Bytes;
}

std::vector<int> Channel(int Ch) {
  const auto& Bytes = Recording();
  std::vector<int> Samples;
  for (size_t I = Ch; I < Bytes.size(); I += 2) Samples.push_back(int(Bytes[I]) - 128);
  return Samples;
}

double Rms(const std::vector<int>& X, size_t From = 0, size_t To = SIZE_MAX) {
  To = std::min(To, X.size());
  double Sum = 0;
  for (size_t I = From; I < To; ++I) Sum += double(X[I]) * X[I];
  return std::sqrt(Sum / double(To - From));
}

// Starts of loud, short events: samples beyond Threshold at least 20 ms after
// the previous loud sample.
std::vector<size_t> Peaks(const std::vector<int>& X, double Threshold) {
  std::vector<size_t> Result;
  size_t Last = 0;
  bool Any = false;
  for (size_t I = 0; I < X.size(); ++I) {
    if (std::abs(X[I]) <= Threshold) continue;
    if (!Any || I - Last > FireRecordingRate / 50) Result.push_back(I);
    Last = I;
    Any = true;
  }
  return Result;
}

// What is left above a one-pole low-pass at Cutoff, rounded to whole levels.
std::vector<int> HighPassed(const std::vector<int>& X, double Cutoff) {
  const double Gain = 1.0 - std::exp(-2.0 * 3.141592653589793 * Cutoff / FireRecordingRate);
  double Low = 0;
  std::vector<int> High;
  for (int V : X) {
    Low += Gain * (V - Low);
    High.push_back(int(std::lround(V - Low)));
  }
  return High;
}

// Share of the signal's power above Cutoff.
double ShareAbove(const std::vector<int>& X, double Cutoff) {
  const double High = Rms(HighPassed(X, Cutoff));
  const double All = Rms(X);
  return High * High / (All * All);
}

}  // namespace

TEST(FireRecording, WholeStereoFramesOfAboutTwentySecondsAlwaysTheSame) {
  const auto& Bytes = Recording();
  EXPECT_EQ(Bytes.size(), size_t(FireRecordingFrames) * 2);
  EXPECT_EQ(Bytes.size() % 2, 0u);
  const double Seconds = double(Bytes.size() / 2) / FireRecordingRate;
  EXPECT_GE(Seconds, 18.0);
  EXPECT_LE(Seconds, 25.0);
  EXPECT_EQ(MakeFireRecording(), Bytes);
}

TEST(FireRecording, AudibleCentredAndRarelyNearFullScale) {
  for (int Ch : {0, 1}) {
    const auto X = Channel(Ch);
    const double Level = Rms(X);
    EXPECT_GE(Level, 6.0) << Ch;  // about -26 dBFS and up
    EXPECT_LE(Level, 32.0) << Ch;
    double Mean = 0;
    for (int V : X) Mean += V;
    EXPECT_NEAR(Mean / double(X.size()), 0.0, 0.5) << Ch;
    const auto Rails = std::count_if(X.begin(), X.end(), [](int V) { return V <= -127 || V >= 127; });
    const auto Loud = std::count_if(X.begin(), X.end(), [](int V) { return std::abs(V) >= 100; });
    EXPECT_EQ(Rails, 0) << Ch;
    EXPECT_LT(double(Loud) / double(X.size()), 1e-3) << Ch;
  }
}

TEST(FireRecording, LoopSeamIsNoLouderThanAnOrdinaryStep) {
  for (int Ch : {0, 1}) {
    const auto X = Channel(Ch);
    std::vector<int> Steps;
    for (size_t I = 1; I < X.size(); ++I) Steps.push_back(std::abs(X[I] - X[I - 1]));
    std::sort(Steps.begin(), Steps.end());
    const int Typical = Steps[Steps.size() * 99 / 100];
    EXPECT_LE(std::abs(X.front() - X.back()), Typical) << Ch;
    // Nor does the level jump there: the last and first 100 ms are alike.
    const size_t Tenth = FireRecordingRate / 10;
    const double Tail = Rms(X, X.size() - Tenth), Head = Rms(X, 0, Tenth);
    EXPECT_LT(std::max(Tail, Head) / std::min(Tail, Head), 2.5) << Ch;
  }
}

TEST(FireRecording, TwoChannelsOfOneFire) {
  const auto L = Channel(0), R = Channel(1);
  double Lr = 0, Ll = 0, Rr = 0;
  size_t Different = 0;
  for (size_t I = 0; I < L.size(); ++I) {
    Lr += double(L[I]) * R[I];
    Ll += double(L[I]) * L[I];
    Rr += double(R[I]) * R[I];
    Different += L[I] != R[I];
  }
  const double Correlation = Lr / std::sqrt(Ll * Rr);
  EXPECT_GT(Correlation, 0.05);  // related...
  EXPECT_LT(Correlation, 0.8);   // ...but not the same signal twice
  EXPECT_GT(double(Different) / double(L.size()), 0.8);
  // A crackle is placed in the stereo field, so their peaks do not all coincide.
  const auto PeaksL = Peaks(L, 4 * Rms(L)), PeaksR = Peaks(R, 4 * Rms(R));
  EXPECT_NE(PeaksL, PeaksR);
}

TEST(FireRecording, RoarHissAndScatteredCrackles) {
  for (int Ch : {0, 1}) {
    const auto X = Channel(Ch);
    // Mostly a low roar, with some brightness on top.
    EXPECT_LT(ShareAbove(X, 400.0), 0.5) << Ch;
    EXPECT_GT(ShareAbove(X, 3000.0), 0.01) << Ch;
    // Sharp events well above the bed, one to twenty a second, in every
    // stretch of the loop. Looked for above the roar, as an ear hears them.
    const auto Crackles = Peaks(HighPassed(X, 2000.0), 6 * Rms(HighPassed(X, 2000.0)));
    const double Seconds = double(X.size()) / FireRecordingRate;
    EXPECT_GE(double(Crackles.size()), 1.0 * Seconds) << Ch;
    EXPECT_LE(double(Crackles.size()), 20.0 * Seconds) << Ch;
    for (size_t Quarter = 0; Quarter < 4; ++Quarter) {
      const auto InQuarter = std::count_if(Crackles.begin(), Crackles.end(), [&](size_t P) {
        return P * 4 / X.size() == Quarter;
      });
      EXPECT_GE(InQuarter, 3) << Ch << " quarter " << Quarter;
    }
    // The fire breathes: its level over half seconds rises and falls.
    double Quietest = 1e9, Loudest = 0;
    const size_t Half = FireRecordingRate / 2;
    for (size_t From = 0; From + Half <= X.size(); From += Half) {
      Quietest = std::min(Quietest, Rms(X, From, From + Half));
      Loudest = std::max(Loudest, Rms(X, From, From + Half));
    }
    EXPECT_GT(Loudest / Quietest, 1.5) << Ch;
  }
}
