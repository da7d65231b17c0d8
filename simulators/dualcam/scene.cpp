#include "simulators/dualcam/scene.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <mutex>
#include <optional>

namespace qm::dualcam {

namespace {

constexpr int kMaxImageSide = 8192;

struct Colour {
    std::uint8_t r, g, b;
};

// Bars in the usual order; their red, green and blue reflectances sum to the
// same value, so a neutral light gives equal white-balance sums.
constexpr std::array<Colour, 8> kBars = {{
    {230, 230, 230}, {230, 230, 26}, {26, 230, 230}, {26, 230, 26},
    {230, 26, 230},  {230, 26, 26},  {26, 26, 230},  {13, 13, 13},
}};

void put(SceneImage& image, int x, int y, Colour c)
{
    auto* p = &image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

SceneImage pattern(int width, int height, ScenePattern kind, int variant)
{
    SceneImage image{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3)};
    const int barsHeight = height * 2 / 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour c{128, 128, 128};
            switch (kind) {
            case ScenePattern::ColourBars:
                if (y < barsHeight) {
                    c = kBars[std::size_t((x * 8 / width + variant) % 8)];
                } else {
                    const auto level = std::uint8_t(std::min(255, x * 256 / width));
                    c = {level, level, level};
                }
                break;
            case ScenePattern::Checker: {
                const int cell = std::max(8, width / (8 + variant % 8));
                const bool light = ((x / cell) + (y / cell)) % 2 == 0;
                const std::uint8_t level = light ? 204 : 51;
                c = {level, level, level};
                break;
            }
            case ScenePattern::Flat:
                break;
            }
            put(image, x, y, c);
        }
    }
    return image;
}

void quietLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { setMsgSeverity(L_SEVERITY_NONE); });
}

std::optional<SceneImage> loadImage(const std::string& path, int width, int height)
{
    quietLibrary();
    Pix* source = pixRead(path.c_str());
    if (!source)
        return std::nullopt;
    std::optional<SceneImage> result;
    const l_int32 w = pixGetWidth(source), h = pixGetHeight(source);
    if (w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide) {
        Pix* colour = pixConvertTo32(source);
        Pix* scaled = colour ? pixScaleToSize(colour, width, height) : nullptr;
        if (scaled && pixGetWidth(scaled) == width && pixGetHeight(scaled) == height) {
            SceneImage image{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3)};
            for (int y = 0; y < height; ++y) {
                const l_uint32* line = pixGetData(scaled) + std::size_t(y) * std::size_t(pixGetWpl(scaled));
                for (int x = 0; x < width; ++x) {
                    l_int32 r, g, b;
                    extractRGBValues(line[x], &r, &g, &b);
                    put(image, x, y, Colour{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
                }
            }
            result = std::move(image);
        }
        pixDestroy(&scaled);
        pixDestroy(&colour);
    }
    pixDestroy(&source);
    return result;
}

}  // namespace

SceneRenderer::SceneRenderer(SceneConfig config) : config_(std::move(config)) {}

bool SceneRenderer::imageLoaded() const { return config_.imageFile.empty() || imageState_ >= 0; }

const SceneImage& SceneRenderer::base(int width, int height)
{
    const auto key = std::make_pair(width, height);
    if (auto found = bases_.find(key); found != bases_.end())
        return found->second;
    std::optional<SceneImage> image;
    if (!config_.imageFile.empty()) {
        image = loadImage(config_.imageFile, width, height);
        imageState_ = image ? 1 : -1;
    }
    if (!image)
        image = pattern(width, height, config_.pattern, 0);
    return bases_.emplace(key, std::move(*image)).first->second;
}

const SceneImage& SceneRenderer::render(int width, int height, std::uint32_t frameNumber)
{
    const SceneImage& still = base(width, height);
    if (!config_.moving)
        return still;
    frame_ = still;
    // A white block in the lower third, stepping 4 pixels per frame.
    const int side = std::max(4, height / 10);
    const int span = std::max(1, width - side);
    const int left = int((frameNumber * 4u) % std::uint32_t(span));
    const int top = std::max(0, height - side - height / 20);
    for (int y = top; y < top + side && y < height; ++y)
        for (int x = left; x < left + side && x < width; ++x)
            put(frame_, x, y, Colour{242, 242, 242});
    return frame_;
}

SceneImage SceneRenderer::picture(int width, int height, const std::string& imageFile, int variant)
{
    if (!imageFile.empty()) {
        if (auto image = loadImage(imageFile, width, height))
            return std::move(*image);
    }
    return pattern(width, height, ScenePattern::ColourBars, variant);
}

}  // namespace qm::dualcam
