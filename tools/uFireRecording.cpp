#include "tools/uFireRecording.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace emberdell {

namespace {

using TTrack = std::vector<double>;

constexpr double Rate = FireRecordingRate;
constexpr size_t Frames = FireRecordingFrames;
constexpr double Pi = std::numbers::pi;

// Our own generator, so the recording never depends on, or disturbs, the
// process-wide one (splitmix64).
class TDice {
 public:
  explicit TDice(uint64_t Seed) : FState(Seed) {}
  uint64_t Next() {
    uint64_t Z = (FState += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    return Z ^ (Z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Bipolar() { return 2.0 * Uniform() - 1.0; }
  double Range(double Low, double High) { return Low + (High - Low) * Uniform(); }
  // Sizes and pitches are spread evenly on a logarithmic scale, as ears hear them.
  double LogRange(double Low, double High) { return Low * std::pow(High / Low, Uniform()); }
  double Exponential(double Mean) { return -Mean * std::log(1.0 - Uniform()); }

 private:
  uint64_t FState;
};

TTrack WhiteNoise(TDice& Dice) {
  TTrack Track(Frames);
  for (double& V : Track) V = Dice.Bipolar();
  return Track;
}

// One-pole low-pass run round the loop: a first lap only settles the state,
// so the second lap's output is periodic and the loop has no seam.
void LowPass(TTrack& Track, double Cutoff) {
  const double Gain = 1.0 - std::exp(-2.0 * Pi * Cutoff / Rate);
  double State = 0.0;
  for (double V : Track) State += Gain * (V - State);
  for (double& V : Track) V = State += Gain * (V - State);
}

void LowPass2(TTrack& Track, double Cutoff) {
  LowPass(Track, Cutoff);
  LowPass(Track, Cutoff);
}

void HighPass(TTrack& Track, double Cutoff) {
  TTrack Low = Track;
  LowPass(Low, Cutoff);
  for (size_t I = 0; I < Frames; ++I) Track[I] -= Low[I];
}

void ScaleToRms(TTrack& Track, double Rms) {
  double Sum = 0.0;
  for (double V : Track) Sum += V * V;
  const double Current = std::sqrt(Sum / static_cast<double>(Track.size()));
  if (Current > 0.0)
    for (double& V : Track) V *= Rms / Current;
}

// Mostly shared, partly each channel's own: the fire is one source, heard
// from two places.
TTrack Blend(const TTrack& Shared, const TTrack& Own, double SharedPart) {
  TTrack Track(Frames);
  const double OwnPart = std::sqrt(1.0 - SharedPart * SharedPart);
  for (size_t I = 0; I < Frames; ++I) Track[I] = SharedPart * Shared[I] + OwnPart * Own[I];
  return Track;
}

// Slow swells of the fire's strength: log-normal, so always positive, louder
// swells rarer than quieter ones.
TTrack Swell(const TTrack& Noise, double Cutoff, double Depth) {
  TTrack Track = Noise;
  LowPass2(Track, Cutoff);
  ScaleToRms(Track, 1.0);
  for (double& V : Track) V = std::exp(Depth * std::clamp(V, -3.0, 3.0));
  return Track;
}

// Band-pass biquad (constant 0 dB peak), for the ring of one crackle.
class TBandPass {
 public:
  TBandPass(double Centre, double Q) {
    const double W = 2.0 * Pi * Centre / Rate;
    const double Alpha = std::sin(W) / (2.0 * Q);
    const double A0 = 1.0 + Alpha;
    FB0 = Alpha / A0;
    FA1 = -2.0 * std::cos(W) / A0;
    FA2 = (1.0 - Alpha) / A0;
  }
  double Step(double X) {
    const double Y = FB0 * (X - FX2) - FA1 * FY1 - FA2 * FY2;
    FX2 = FX1;
    FX1 = X;
    FY2 = FY1;
    FY1 = Y;
    return Y;
  }

 private:
  double FB0, FA1, FA2;
  double FX1 = 0, FX2 = 0, FY1 = 0, FY2 = 0;
};

// One crackle: a click that rings briefly at a random pitch, with a low
// thump for the pops. Positions wrap round the loop.
struct TCrackle {
  double Start;  // frame
  double Peak;
  double Pan;     // -1 left .. 1 right
  double Decay;   // frames
  double Pitch;   // Hz of the ring
  double Q;
  double Bright;  // share of the unfiltered click
  double ThumpPitch = 0, ThumpShare = 0, ThumpDecay = 1;
  uint64_t Seed;
};

TTrack CrackleShape(const TCrackle& C) {
  TDice Dice(C.Seed);
  const double Longest = std::max(C.Decay, C.ThumpShare > 0 ? C.ThumpDecay : 0.0);
  const size_t Length = static_cast<size_t>(7.0 * Longest) + 8;
  TTrack Shape(Length);
  TBandPass Ring(C.Pitch, C.Q);
  // The ring filter loses level at high Q; this keeps its share audible.
  const double RingGain = std::sqrt(C.Q) * 2.0;
  double Peak = 0.0;
  for (size_t N = 0; N < Length; ++N) {
    const double T = static_cast<double>(N);
    double Click = Dice.Bipolar() * std::exp(-T / C.Decay);
    if (N == 0) Click += Dice.Range(0.6, 1.0) * (Dice.Uniform() < 0.5 ? -1.0 : 1.0);
    double V = C.Bright * Click + (1.0 - C.Bright) * RingGain * Ring.Step(Click);
    if (C.ThumpShare > 0) {
      const double Attack = 1.0 - std::exp(-T / 12.0);
      V += C.ThumpShare * Attack * std::exp(-T / C.ThumpDecay) * std::sin(2.0 * Pi * C.ThumpPitch * T / Rate);
    }
    Shape[N] = V;
    Peak = std::max(Peak, std::abs(V));
  }
  for (double& V : Shape) V *= C.Peak / Peak;
  return Shape;
}

void AddCrackle(TTrack& Left, TTrack& Right, const TCrackle& C) {
  const TTrack Shape = CrackleShape(C);
  // Equal power across the pair, with the far ear hearing it up to half a
  // millisecond later.
  const double Angle = (C.Pan + 1.0) * Pi / 4.0;
  const double Gain[2] = {std::sqrt(2.0) * std::cos(Angle), std::sqrt(2.0) * std::sin(Angle)};
  const size_t Lag = static_cast<size_t>(std::abs(C.Pan) * 11.0 + 0.5);
  const size_t Delay[2] = {C.Pan > 0 ? Lag : 0, C.Pan < 0 ? Lag : 0};
  TTrack* Tracks[2] = {&Left, &Right};
  const size_t Start = static_cast<size_t>(C.Start);
  for (int Ch = 0; Ch < 2; ++Ch)
    for (size_t N = 0; N < Shape.size(); ++N) (*Tracks[Ch])[(Start + Delay[Ch] + N) % Frames] += Gain[Ch] * Shape[N];
}

// Scattered in time as a fire scatters them: more when it flares (the swell
// thins a denser stream), in little bursts of two or three.
void AddCrackles(TTrack& Left, TTrack& Right, const TTrack& Strength, TDice& Dice) {
  struct TKind {
    double PerSecond, PeakLow, PeakHigh, DecayLow, DecayHigh, PitchLow, PitchHigh, ThumpShare;
  };
  // Decays in ms, pitches in Hz.
  const TKind Kinds[] = {
      {7.0, 0.03, 0.30, 0.25, 1.5, 1800, 7500, 0.0},   // ticks
      {1.3, 0.20, 0.60, 0.8, 4.0, 900, 4500, 0.0},     // cracks
      {0.3, 0.55, 0.95, 2.0, 7.0, 500, 2500, 1.6},     // pops
  };
  for (const TKind& Kind : Kinds) {
    const double Mean = Rate / (1.5 * Kind.PerSecond);
    for (double Time = Dice.Exponential(Mean); Time < static_cast<double>(Frames); Time += Dice.Exponential(Mean)) {
      // Kept with a chance of (1 + strength) / 3, about PerSecond on average:
      // twice as busy in a flare as in a lull, but never quiet for long.
      if (3.0 * Dice.Uniform() > 1.0 + Strength[static_cast<size_t>(Time)]) continue;
      TCrackle C;
      C.Start = Time;
      C.Peak = Dice.LogRange(Kind.PeakLow, Kind.PeakHigh);
      C.Pan = Dice.Range(-0.8, 0.8);
      C.Decay = Dice.LogRange(Kind.DecayLow, Kind.DecayHigh) * Rate / 1000.0;
      C.Pitch = Dice.LogRange(Kind.PitchLow, Kind.PitchHigh);
      C.Q = Dice.LogRange(0.7, 4.0);
      C.Bright = Dice.Range(0.15, 0.7);
      if (Kind.ThumpShare > 0) {
        C.ThumpShare = Kind.ThumpShare * Dice.Range(0.5, 1.0);
        C.ThumpPitch = Dice.LogRange(110, 380);
        C.ThumpDecay = Dice.LogRange(8.0, 25.0) * Rate / 1000.0;
      }
      C.Seed = Dice.Next();
      AddCrackle(Left, Right, C);
      // Echoes of the same split: smaller, close behind, drifting in pitch.
      while (Dice.Uniform() < 0.45) {
        C.Start += Dice.LogRange(4.0, 60.0) * Rate / 1000.0;
        C.Peak *= Dice.Range(0.3, 0.9);
        C.Pan = std::clamp(C.Pan + Dice.Range(-0.2, 0.2), -0.9, 0.9);
        C.Pitch = std::clamp(C.Pitch * Dice.LogRange(0.7, 1.4), 300.0, 9000.0);
        C.ThumpShare = 0;
        C.Seed = Dice.Next();
        AddCrackle(Left, Right, C);
      }
    }
  }
}

// Linear up to the knee, then bending smoothly toward full scale, so the
// biggest pops are rounded off instead of clipped.
double SoftLimit(double X) {
  constexpr double Knee = 0.6;
  const double Size = std::abs(X);
  if (Size <= Knee) return X;
  return std::copysign(Knee + (1.0 - Knee) * std::tanh((Size - Knee) / (1.0 - Knee)), X);
}

}  // namespace

std::vector<uint8_t> MakeFireRecording() {
  TDice Dice(0x456D626572D311ull);

  // How strongly the fire burns, shared by both channels: slow breathing
  // plus a faster flicker of the flames.
  const TTrack Breath = Swell(WhiteNoise(Dice), 0.35, 0.35);
  const TTrack Flicker = Swell(WhiteNoise(Dice), 5.0, 0.12);
  TTrack Strength(Frames);
  for (size_t I = 0; I < Frames; ++I) Strength[I] = Breath[I] * Flicker[I];

  const TTrack RoarShared = WhiteNoise(Dice), BodyShared = WhiteNoise(Dice), HissShared = WhiteNoise(Dice);
  const TTrack HissSwellShared = WhiteNoise(Dice);
  TTrack Mix[2];
  for (TTrack& Track : Mix) {
    // The roar: deep, rumbling, following the fire's strength.
    TTrack Roar = Blend(RoarShared, WhiteNoise(Dice), 0.55);
    LowPass2(Roar, 200.0);
    HighPass(Roar, 30.0);
    ScaleToRms(Roar, 0.10);
    // The body of the flames, a softer whoosh above the roar.
    TTrack Body = Blend(BodyShared, WhiteNoise(Dice), 0.45);
    LowPass2(Body, 1100.0);
    HighPass(Body, 280.0);
    ScaleToRms(Body, 0.035);
    // The hiss of gas and sap, with its own slower swell.
    TTrack Hiss = Blend(HissShared, WhiteNoise(Dice), 0.3);
    HighPass(Hiss, 2600.0);
    HighPass(Hiss, 2600.0);
    LowPass(Hiss, 8000.0);
    ScaleToRms(Hiss, 0.022);
    const TTrack HissSwell = Swell(Blend(HissSwellShared, WhiteNoise(Dice), 0.6), 0.2, 0.4);

    Track.resize(Frames);
    for (size_t I = 0; I < Frames; ++I)
      Track[I] = (Roar[I] + Body[I]) * Strength[I] + Hiss[I] * HissSwell[I] * std::sqrt(Strength[I]);
  }

  AddCrackles(Mix[0], Mix[1], Strength, Dice);

  std::vector<uint8_t> Bytes(Frames * FireRecordingChannels);
  for (int Ch = 0; Ch < 2; ++Ch) {
    double Mean = 0.0;
    for (double V : Mix[Ch]) Mean += V;
    Mean /= static_cast<double>(Frames);
    for (size_t I = 0; I < Frames; ++I) {
      const long Level = std::lround(SoftLimit(Mix[Ch][I] - Mean) * 127.0);
      Bytes[2 * I + Ch] = static_cast<uint8_t>(std::clamp<long>(128 + Level, 0, 255));
    }
  }
  return Bytes;
}

}  // namespace emberdell
