#include <gtest/gtest.h>

#include <cstring>

#include "tools/uDefaultStyles.h"
#include "core/styles/uPresets.h"

using namespace emberdell;

namespace emberdell {
extern const unsigned char DefaultWoodStyle[804];
}

TEST(DeliveredStyles, FilesInResourcesAreWhatTheMakerWrites) {
  for (const auto& s : DeliveredStyles()) {
    TFlamePreset FromFile;
    ASSERT_TRUE(ReadPresetFile(PresetFileName(EMBERDELL_STYLE_FOLDER, s.Name), FromFile)) << s.Name;
    EXPECT_EQ(0, std::memcmp(&FromFile, &s.Preset, sizeof FromFile))
        << s.Name << ": run emberdell-make-styles \"resources/Flame Presets\"";
    EXPECT_EQ(PresetName(FromFile), s.Name);
    EXPECT_GE(FromFile.FlameIntensity, 5);
    EXPECT_LE(FromFile.FlameIntensity, 10);
  }
}

TEST(DeliveredStyles, TheRendererCarriesDefaultWood) {
  TFlamePreset FromFile;
  ASSERT_TRUE(ReadPresetFile(PresetFileName(EMBERDELL_STYLE_FOLDER, DefaultPresetName), FromFile));
  EXPECT_EQ(0, std::memcmp(&FromFile, DefaultWoodStyle, sizeof FromFile));
  // A fire: cold is black, hot is bright.
  EXPECT_EQ(FromFile.Red[0], 255);
  EXPECT_EQ(FromFile.Red[255], 0);
}
