#include "win32/sound/uDirectSoundBuffer.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstring>

namespace emberdell {

namespace {

using TDirectSoundCreate = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

// dsound.dll is loaded on first use and kept for the life of the process:
// linking it would stop the program from starting on a machine without it,
// and unloading it could pull the code from under an interface still held.
TDirectSoundCreate DirectSoundCreateEntry() {
  static const TDirectSoundCreate Entry = [] {
    HMODULE Library = LoadLibraryW(L"dsound.dll");
    return Library == nullptr
               ? nullptr
               : reinterpret_cast<TDirectSoundCreate>(
                     reinterpret_cast<void*>(GetProcAddress(Library, "DirectSoundCreate")));
  }();
  return Entry;
}

// The primary buffer's format: the device mixes in mono at 44,050 Hz, 16 bits.
constexpr WORD PrimaryChannels = 1;
constexpr DWORD PrimaryRate = 44050;
constexpr WORD PrimaryBits = 16;

// The recording as stored: 8-bit unsigned stereo at 22,050 frames per second,
// played slower, at 17,000, which deepens the roar.
constexpr WORD RecordingChannels = 2;
constexpr DWORD RecordingRate = 22050;
constexpr WORD RecordingBits = 8;
constexpr DWORD PlaybackRate = 17000;
// Keeps playing when another program has the focus; volume and rate can be
// set; static: filled once and looped by the mixer.
constexpr DWORD SecondaryFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_STATIC;
static_assert(SecondaryFlags == 0x80A2);

WAVEFORMATEX PcmFormat(WORD Channels, DWORD Rate, WORD Bits) {
  WAVEFORMATEX Format{};
  Format.wFormatTag = WAVE_FORMAT_PCM;
  Format.nChannels = Channels;
  Format.nSamplesPerSec = Rate;
  Format.wBitsPerSample = Bits;
  Format.nBlockAlign = static_cast<WORD>(Bits / 8 * Channels);
  Format.nAvgBytesPerSec = Format.nBlockAlign * Rate;
  return Format;
}

template <typename T>
void ReleaseInterface(T*& Interface) {
  if (Interface != nullptr) Interface->Release();
  Interface = nullptr;
}

class TDirectSoundBuffer final : public ISoundBuffer {
 public:
  explicit TDirectSoundBuffer(TSoundResource Recording) : FRecording(Recording) {}
  ~TDirectSoundBuffer() override { ReleaseDevice(); }
  TDirectSoundBuffer(const TDirectSoundBuffer&) = delete;
  TDirectSoundBuffer& operator=(const TDirectSoundBuffer&) = delete;

  bool InitDevice(HWND Window);
  bool CreateBuffer();
  void ReleaseDevice();

  uint32_t Size() override { return FBuffer != nullptr ? FRecording.Size : 0; }
  bool GetStatus(uint32_t& Status) override;
  bool Restore() override { return FBuffer != nullptr && SUCCEEDED(FBuffer->Restore()); }
  bool Fill() override;
  void SetVolume(int32_t Centibels) override {
    if (FBuffer != nullptr) FBuffer->SetVolume(Centibels);
  }
  bool SetPosition(uint32_t ByteOffset) override {
    return FBuffer != nullptr && SUCCEEDED(FBuffer->SetCurrentPosition(ByteOffset));
  }
  bool GetPlayPosition(uint32_t& ByteOffset) override {
    DWORD Play = 0, Write = 0;
    if (FBuffer == nullptr || FAILED(FBuffer->GetCurrentPosition(&Play, &Write))) return false;
    ByteOffset = Play;
    return true;
  }
  bool PlayLooping() override { return FBuffer != nullptr && SUCCEEDED(FBuffer->Play(0, 0, DSBPLAY_LOOPING)); }
  void Stop() override {
    if (FBuffer != nullptr) FBuffer->Stop();
  }

 private:
  const TSoundResource FRecording;
  IDirectSound* FDevice = nullptr;
  IDirectSoundBuffer* FBuffer = nullptr;
};

bool TDirectSoundBuffer::InitDevice(HWND Window) {
  const TDirectSoundCreate Create = DirectSoundCreateEntry();
  if (Create == nullptr || FAILED(Create(nullptr, &FDevice, nullptr))) return false;
  if (FAILED(FDevice->SetCooperativeLevel(Window, DSSCL_PRIORITY))) return false;
  DSBUFFERDESC Description{};
  Description.dwSize = sizeof Description;
  Description.dwFlags = DSBCAPS_PRIMARYBUFFER;
  IDirectSoundBuffer* Primary = nullptr;
  if (FAILED(FDevice->CreateSoundBuffer(&Description, &Primary, nullptr))) return false;
  WAVEFORMATEX Format = PcmFormat(PrimaryChannels, PrimaryRate, PrimaryBits);
  const bool Formatted = SUCCEEDED(Primary->SetFormat(&Format));
  Primary->Release();
  return Formatted;
}

bool TDirectSoundBuffer::CreateBuffer() {
  ReleaseInterface(FBuffer);
  WAVEFORMATEX Format = PcmFormat(RecordingChannels, RecordingRate, RecordingBits);
  DSBUFFERDESC Description{};
  Description.dwSize = sizeof Description;
  Description.dwFlags = SecondaryFlags;
  Description.dwBufferBytes = FRecording.Size;
  Description.lpwfxFormat = &Format;
  if (FAILED(FDevice->CreateSoundBuffer(&Description, &FBuffer, nullptr))) {
    FBuffer = nullptr;
    return false;
  }
  FBuffer->SetFrequency(PlaybackRate);
  return true;
}

bool TDirectSoundBuffer::Fill() {
  if (FBuffer == nullptr) return false;
  void* First = nullptr;
  void* Second = nullptr;
  DWORD FirstBytes = 0, SecondBytes = 0;
  if (FAILED(FBuffer->Lock(0, FRecording.Size, &First, &FirstBytes, &Second, &SecondBytes, 0))) return false;
  // Locked from offset 0 for the whole size, the buffer comes back as one
  // region; the bound only guards against a device that says otherwise.
  std::memcpy(First, FRecording.Data, FirstBytes < FRecording.Size ? FirstBytes : FRecording.Size);
  return SUCCEEDED(FBuffer->Unlock(First, FirstBytes, Second, SecondBytes));
}

bool TDirectSoundBuffer::GetStatus(uint32_t& Status) {
  DWORD Bits = 0;
  if (FBuffer == nullptr || FAILED(FBuffer->GetStatus(&Bits))) return false;
  Status = Bits;
  return true;
}

void TDirectSoundBuffer::ReleaseDevice() {
  ReleaseInterface(FBuffer);
  ReleaseInterface(FDevice);
}

static_assert(sbPlaying == DSBSTATUS_PLAYING && sbBufferLost == DSBSTATUS_BUFFERLOST);

}  // namespace

TSoundResource FindSoundResource(HMODULE Module, const wchar_t* Name) {
  HRSRC Info = FindResourceW(Module, Name, kSoundResourceType);
  if (Info == nullptr) return {};
  HGLOBAL Loaded = LoadResource(Module, Info);
  const void* Data = Loaded != nullptr ? LockResource(Loaded) : nullptr;
  if (Data == nullptr) return {};
  return TSoundResource{static_cast<const uint8_t*>(Data), static_cast<uint32_t>(SizeofResource(Module, Info))};
}

std::unique_ptr<ISoundBuffer> CreateDirectSoundBuffer(HMODULE Module, const wchar_t* ResourceName, HWND Window) {
  const TSoundResource Recording = FindSoundResource(Module, ResourceName);
  // Without a recording there is nothing to make a buffer of.
  if (Recording.Size == 0) return nullptr;
  auto Buffer = std::make_unique<TDirectSoundBuffer>(Recording);
  // An unfilled buffer would loop whatever the device left in it.
  if (!Buffer->InitDevice(Window) || !Buffer->CreateBuffer() || !Buffer->Fill()) return nullptr;
  return Buffer;
}

}  // namespace emberdell
