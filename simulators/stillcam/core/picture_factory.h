// Turns JPEG files, generated scenes and uploads into stored pictures with
// thumbnails in the model's form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulators/stillcam/core/picture_store.h"

namespace qm::stillcam {

// A scene rendered at the model's size for the resolution code and encoded.
StoredPicture generatedPicture(std::uint8_t model, std::uint8_t resolutionCode, unsigned seed);

// Any bytes. JPEG data gets its own thumbnail and resolution code; anything
// else a grey thumbnail.
StoredPicture pictureFromBytes(std::uint8_t model, std::vector<std::uint8_t> data);

// A picture received from the host: a 640 x 480 JPEG that decodes without
// damage. Its embedded raw thumbnail, when it has one, becomes the picture's.
std::optional<StoredPicture> uploadedPicture(std::uint8_t model, std::vector<std::uint8_t> jpeg);

// The playback zoom: the window of the picture's JPEG data enlarged back to
// the picture's size and encoded again, with a thumbnail of what it shows
// and a new key. False, picture unchanged, when the data is no JPEG or the
// window is empty or reaches outside it.
bool zoomStoredPicture(std::uint8_t model, StoredPicture& picture, const ZoomWindow& window);

// The JPEG files of a folder (".jpg", ".jpeg", any case) in name order. A
// file of a size the model records is kept byte for byte; another size is
// scaled to the model's own size and encoded again. Files that are no JPEG
// are skipped and named in `skipped`. False when the folder cannot be read.
bool loadPictureFolder(std::uint8_t model, const std::string& folder, std::vector<StoredPicture>& pictures,
                       std::vector<std::string>& skipped);

}  // namespace qm::stillcam
