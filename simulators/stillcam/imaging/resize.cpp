#include <algorithm>
#include <cmath>

#include "simulators/stillcam/imaging/rgb_image.h"

namespace qm::stillcam {
namespace {

// Source span [from, to) in source pixels of destination pixel i.
void sourceSpan(int i, int sourceSize, int size, double& from, double& to)
{
    from = double(i) * sourceSize / size;
    to = double(i + 1) * sourceSize / size;
}

double sampleAxisWeight(int pixel, double from, double to)
{
    return std::max(0.0, std::min(to, double(pixel + 1)) - std::max(from, double(pixel)));
}

void shrinkPixel(const RgbImage& s, int x, int y, int width, int height, std::uint8_t* out)
{
    double x0, x1, y0, y1;
    sourceSpan(x, s.width, width, x0, x1);
    sourceSpan(y, s.height, height, y0, y1);
    double sum[3] = {0, 0, 0};
    double total = 0;
    for (int sy = int(y0); sy < int(std::ceil(y1)) && sy < s.height; ++sy) {
        double wy = sampleAxisWeight(sy, y0, y1);
        for (int sx = int(x0); sx < int(std::ceil(x1)) && sx < s.width; ++sx) {
            double w = wy * sampleAxisWeight(sx, x0, x1);
            const std::uint8_t* p = s.at(sx, sy);
            for (int c = 0; c < 3; ++c)
                sum[c] += w * p[c];
            total += w;
        }
    }
    for (int c = 0; c < 3; ++c)
        out[c] = std::uint8_t(std::clamp(std::lround(total > 0 ? sum[c] / total : 0.0), 0L, 255L));
}

void growPixel(const RgbImage& s, int x, int y, int width, int height, std::uint8_t* out)
{
    double fx = std::clamp((x + 0.5) * s.width / width - 0.5, 0.0, double(s.width - 1));
    double fy = std::clamp((y + 0.5) * s.height / height - 0.5, 0.0, double(s.height - 1));
    int x0 = int(fx), y0 = int(fy);
    int x1 = std::min(x0 + 1, s.width - 1), y1 = std::min(y0 + 1, s.height - 1);
    double ax = fx - x0, ay = fy - y0;
    for (int c = 0; c < 3; ++c) {
        double top = s.at(x0, y0)[c] * (1 - ax) + s.at(x1, y0)[c] * ax;
        double bottom = s.at(x0, y1)[c] * (1 - ax) + s.at(x1, y1)[c] * ax;
        out[c] = std::uint8_t(std::clamp(std::lround(top * (1 - ay) + bottom * ay), 0L, 255L));
    }
}

}  // namespace

RgbImage resize(const RgbImage& source, int width, int height)
{
    if (source.empty() || width <= 0 || height <= 0)
        return {};
    RgbImage out(width, height);
    const bool shrinks = source.width >= width && source.height >= height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (shrinks)
                shrinkPixel(source, x, y, width, height, out.at(x, y));
            else
                growPixel(source, x, y, width, height, out.at(x, y));
        }
    return out;
}

}  // namespace qm::stillcam
