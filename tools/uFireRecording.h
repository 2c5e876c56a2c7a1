// The fire recording the sound player loops: synthesised rather than
// recorded, so it is ours, reproducible and free of a seam. Raw unsigned
// 8-bit stereo (left byte, right byte; silence 0x80) at 22,050 frames per
// second, no header.
#pragma once

#include <cstdint>
#include <vector>

namespace emberdell {

constexpr uint32_t FireRecordingRate = 22050;
constexpr uint32_t FireRecordingChannels = 2;
constexpr uint32_t FireRecordingFrames = 20 * FireRecordingRate;

// The same bytes on every call: a roaring bed, a soft hiss and scattered
// crackles and pops, different in the two channels, and periodic, so the
// last frame leads into the first like any two neighbours.
std::vector<uint8_t> MakeFireRecording();

}  // namespace emberdell
