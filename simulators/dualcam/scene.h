// What the camera looks at: a test pattern or an image file, as reflectances
// (0..255 per channel) at the size the sensor delivers. The light falling on
// it (colour cast, brightness) is applied by the image pipeline.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm::dualcam {

enum class ScenePattern : std::uint8_t {
    ColourBars,  // eight neutral-balanced bars over a grey ramp
    Checker,     // grey checkerboard
    Flat,        // uniform mid grey
};

struct SceneConfig {
    ScenePattern pattern = ScenePattern::ColourBars;
    std::string imageFile;                           // any format the image library reads; replaces the pattern
    std::array<double, 3> colourCast{1.0, 1.0, 1.0};  // red, green, blue strength of the light
    double brightness = 1.0;                         // light level; 1.0 is an ordinary lit room
    bool moving = true;                              // a marker block steps along with every frame
};

struct SceneImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width x height x 3 reflectances, top row first
};

class SceneRenderer {
public:
    SceneRenderer() = default;
    explicit SceneRenderer(SceneConfig config);

    const SceneConfig& config() const { return config_; }
    // False when an image file was named but could not be read (the pattern
    // stands in for it).
    bool imageLoaded() const;

    // The scene at one size for one frame; the returned image stays valid
    // until the next call.
    const SceneImage& render(int width, int height, std::uint32_t frameNumber);

    // A still subject for a stored picture: an image file, or a variant of
    // the test pattern when the name is empty or unreadable.
    static SceneImage picture(int width, int height, const std::string& imageFile, int variant);

private:
    const SceneImage& base(int width, int height);

    SceneConfig config_;
    std::map<std::pair<int, int>, SceneImage> bases_;
    SceneImage frame_;
    int imageState_ = 0;  // 0 unknown, 1 loaded, -1 failed
};

}  // namespace qm::dualcam
