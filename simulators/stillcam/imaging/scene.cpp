#include "simulators/stillcam/imaging/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace qm::stillcam {
namespace {

struct Rgb {
    int r, g, b;
};

std::uint32_t mix(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    value ^= value >> 16;
    return value;
}

Rgb hue(double h, double saturation, double value)
{
    h = std::fmod(h, 1.0) * 6.0;
    int sector = int(h);
    double f = h - sector;
    double p = value * (1 - saturation), q = value * (1 - saturation * f), t = value * (1 - saturation * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (sector) {
    case 0: r = value; g = t; b = p; break;
    case 1: r = q; g = value; b = p; break;
    case 2: r = p; g = value; b = t; break;
    case 3: r = p; g = q; b = value; break;
    case 4: r = t; g = p; b = value; break;
    default: r = value; g = p; b = q; break;
    }
    return {int(r * 255), int(g * 255), int(b * 255)};
}

void put(RgbImage& image, int x, int y, Rgb c)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    std::uint8_t* p = image.at(x, y);
    p[0] = std::uint8_t(std::clamp(c.r, 0, 255));
    p[1] = std::uint8_t(std::clamp(c.g, 0, 255));
    p[2] = std::uint8_t(std::clamp(c.b, 0, 255));
}

void fillRect(RgbImage& image, int x0, int y0, int x1, int y1, Rgb c)
{
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x)
            put(image, x, y, c);
}

// Seven-segment digits: bits a..g of each numeral.
constexpr std::uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void drawDigit(RgbImage& image, int digit, int x, int y, int size, Rgb c)
{
    const int w = size / 2, t = std::max(2, size / 10);
    const std::uint8_t s = kSegments[digit];
    if (s & 0x01) fillRect(image, x, y, x + w, y + t, c);
    if (s & 0x02) fillRect(image, x + w - t, y, x + w, y + size / 2, c);
    if (s & 0x04) fillRect(image, x + w - t, y + size / 2, x + w, y + size, c);
    if (s & 0x08) fillRect(image, x, y + size - t, x + w, y + size, c);
    if (s & 0x10) fillRect(image, x, y + size / 2, x + t, y + size, c);
    if (s & 0x20) fillRect(image, x, y, x + t, y + size / 2, c);
    if (s & 0x40) fillRect(image, x, y + size / 2 - t / 2, x + w, y + size / 2 + t - t / 2, c);
}

void drawNumber(RgbImage& image, unsigned number, int x, int y, int size, Rgb c)
{
    std::string digits = std::to_string(number);
    for (char d : digits) {
        drawDigit(image, d - '0', x, y, size, c);
        x += size / 2 + size / 5;
    }
}

}  // namespace

RgbImage renderScene(unsigned seed, int width, int height)
{
    RgbImage image(width, height);
    const std::uint32_t h = mix(seed * 2654435761u + 12345u);
    const double skyHue = 0.50 + (h % 100) / 800.0;
    const double groundHue = 0.20 + ((h >> 8) % 100) / 600.0;
    const double horizon = height * (0.50 + ((h >> 16) % 20) / 100.0);
    const double phase = (h >> 4) % 628 / 100.0;

    std::vector<double> hills(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        hills[std::size_t(x)] = horizon - height * 0.08 * std::sin(phase + 6.0 * x / width) -
                                height * 0.04 * std::sin(phase * 2 + 17.0 * x / width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double hill = hills[std::size_t(x)];
            Rgb c;
            if (y < hill) {
                double v = 0.55 + 0.4 * y / std::max(1.0, hill);
                c = hue(skyHue, 0.55 - 0.3 * y / height, v);
            } else {
                double v = 0.35 + 0.35 * (y - hill) / std::max(1.0, height - hill);
                c = hue(groundHue, 0.7, v);
            }
            // Grain, so pictures compress like photographs rather than drawings.
            int grain = int(mix(std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^ h) % 17) - 8;
            put(image, x, y, {c.r + grain, c.g + grain, c.b + grain});
        }
    }

    // The sun.
    const int sunX = int(width * (0.15 + ((h >> 12) % 70) / 100.0)), sunY = int(height * 0.18);
    const int sunR = std::max(3, height / 12);
    for (int y = sunY - sunR; y <= sunY + sunR; ++y)
        for (int x = sunX - sunR; x <= sunX + sunR; ++x)
            if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= sunR * sunR)
                put(image, x, y, {255, 236, 140});

    // A few houses on the hills.
    for (int i = 0; i < 4; ++i) {
        std::uint32_t k = mix(h + std::uint32_t(i) * 977u);
        int w = width / 14 + int(k % std::uint32_t(std::max(1, width / 16)));
        int x = int(k >> 8) % std::max(1, width - w);
        int top = int(horizon) + int((k >> 20) % std::uint32_t(std::max(1, height / 6)));
        fillRect(image, x, top, x + w, top + w * 3 / 4, hue((k % 360) / 360.0, 0.8, 0.9));
        fillRect(image, x + w / 3, top + w / 3, x + w * 2 / 3, top + w * 3 / 4, {60, 40, 30});
    }

    // The picture's number, with a shadow.
    const int size = std::max(10, height / 5);
    drawNumber(image, seed, width / 20 + 3, height - size - height / 20 + 3, size, {20, 20, 20});
    drawNumber(image, seed, width / 20, height - size - height / 20, size, {250, 250, 250});
    return image;
}

}  // namespace qm::stillcam
