// The names this folder shares with the rest of the system: the thumbnail
// cache file and the KVB.ini key that sets the sharpening strength.
#pragma once

namespace qm::device::imaging {

inline constexpr const char* kThumbnailCacheFileName = "Thumbnl.Tmp";

inline constexpr const char* kImageQualitySection = "Image Quality";
inline constexpr const char* kSharpenFactorKey = "Sharpen Factor";
inline constexpr int kDefaultSharpenFactor = 800;

}  // namespace qm::device::imaging
