// Writes the standard sample image "Sample.bmp": 4060 x 1190 pixels, 24 bits,
// bottom-up rows, the size the sample sheets require (about 286 x 84 mm at
// 360 dpi). It is a real test image, so that an operator can judge colour,
// density, feed and fine detail on a sample sheet:
//   - colour patches of the inks and their mixtures, solid and at 50 %;
//   - a hue spectrum fading to white;
//   - a stepped grey ramp (0 to 100 % in 5 % steps) and continuous black,
//     cyan, magenta and yellow gradients;
//   - groups of fine vertical and horizontal lines 1 to 4 pixels wide, 72-spoke
//     stars in black and the three colour inks, and checkerboards of 1 to 4
//     pixel cells, which show the resolving limit and any banding.
//
// Usage: make_sample_bitmap OUTPUT.bmp

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4060;
constexpr int kHeight = 1190;
constexpr int kMargin = 20;

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

class Image {
public:
    Image() : m_pixels(static_cast<std::size_t>(kWidth) * kHeight, kWhite) {}

    void Set(int x, int y, Rgb c) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
            m_pixels[static_cast<std::size_t>(y) * kWidth + x] = c;
        }
    }
    Rgb Get(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * kWidth + x]; }

    void Fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) Set(x, y, c);
        }
    }

private:
    std::vector<Rgb> m_pixels; // top row first
};

std::uint8_t Clamp(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Mixes c with white: tint 1 is c itself, 0 is white.
Rgb Tint(Rgb c, double tint) {
    auto mix = [tint](std::uint8_t v) { return Clamp(255.0 - (255.0 - v) * tint); };
    return {mix(c.r), mix(c.g), mix(c.b)};
}

Rgb Hue(double h) { // h in [0, 1): fully saturated colour
    const double s = h * 6.0;
    const int sector = static_cast<int>(s) % 6;
    const double f = s - std::floor(s);
    const std::uint8_t up = Clamp(255.0 * f);
    const std::uint8_t down = Clamp(255.0 * (1.0 - f));
    switch (sector) {
    case 0: return {255, up, 0};
    case 1: return {down, 255, 0};
    case 2: return {0, 255, up};
    case 3: return {0, down, 255};
    case 4: return {up, 0, 255};
    default: return {255, 0, down};
    }
}

Rgb Grey(double level) { // 0 black .. 1 white
    const std::uint8_t v = Clamp(255.0 * level);
    return {v, v, v};
}

// Two rows of patches across the width: the solid colours, then the same at 50 %.
void DrawPatches(Image& img, int top, int rowHeight) {
    const Rgb colours[] = {
        {0, 255, 255},   // cyan
        {255, 0, 255},   // magenta
        {255, 255, 0},   // yellow
        {0, 0, 0},       // black
        {255, 0, 0},     // red
        {0, 255, 0},     // green
        {0, 0, 255},     // blue
        {255, 128, 0},   // orange
        {128, 0, 255},   // violet
        {0, 128, 128},   // teal
        {128, 64, 32},   // brown
        {255, 200, 170}, // skin tone
        {128, 128, 128}, // neutral grey
    };
    const int count = static_cast<int>(std::size(colours));
    const int span = kWidth - 2 * kMargin;
    for (int i = 0; i < count; ++i) {
        const int x0 = kMargin + span * i / count;
        const int x1 = kMargin + span * (i + 1) / count;
        img.Fill(x0, top, x1, top + rowHeight, colours[i]);
        img.Fill(x0, top + rowHeight, x1, top + 2 * rowHeight, Tint(colours[i], 0.5));
    }
}

// Hue runs left to right; from the band's middle down the colour fades to
// white, from the middle up it darkens to black.
void DrawSpectrum(Image& img, int top, int height) {
    const int span = kWidth - 2 * kMargin;
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / (height - 1); // 0 top .. 1 bottom
        for (int x = 0; x < span; ++x) {
            const Rgb h = Hue(static_cast<double>(x) / span);
            Rgb c;
            if (v < 0.5) {
                const double k = 0.3 + 1.4 * v; // 0.3 .. 1.0
                c = {Clamp(h.r * k), Clamp(h.g * k), Clamp(h.b * k)};
            } else {
                c = Tint(h, 1.0 - (v - 0.5) * 1.8); // 1.0 .. 0.1
            }
            img.Set(kMargin + x, top + y, c);
        }
    }
}

// 21 grey steps from black to white inside a thin black outline, so that the
// white step shows where it ends.
void DrawGreySteps(Image& img, int top, int height) {
    const int span = kWidth - 2 * kMargin;
    constexpr int kSteps = 21;
    for (int i = 0; i < kSteps; ++i) {
        const int x0 = kMargin + span * i / kSteps;
        const int x1 = kMargin + span * (i + 1) / kSteps;
        img.Fill(x0, top, x1, top + height, Grey(static_cast<double>(i) / (kSteps - 1)));
    }
    img.Fill(kMargin, top - 2, kWidth - kMargin, top, kBlack);
    img.Fill(kMargin, top + height, kWidth - kMargin, top + height + 2, kBlack);
    img.Fill(kMargin - 2, top - 2, kMargin, top + height + 2, kBlack);
    img.Fill(kWidth - kMargin, top - 2, kWidth - kMargin + 2, top + height + 2, kBlack);
}

void DrawGradients(Image& img, int top, int stripHeight) {
    const int span = kWidth - 2 * kMargin;
    const Rgb inks[] = {{0, 0, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 0}};
    int y0 = top;
    for (const Rgb ink : inks) {
        for (int x = 0; x < span; ++x) {
            const Rgb c = Tint(ink, static_cast<double>(x) / (span - 1));
            for (int y = y0; y < y0 + stripHeight; ++y) img.Set(kMargin + x, y, c);
        }
        y0 += stripHeight;
    }
}

// Line pairs: groups of lines of width w separated by gaps of width w.
void DrawVerticalLines(Image& img, int left, int top, int height, int& right) {
    int x = left;
    for (int w = 1; w <= 4; ++w) {
        for (int line = 0; line < 12; ++line) {
            img.Fill(x, top, x + w, top + height, kBlack);
            x += 2 * w;
        }
        x += 40;
    }
    right = x;
}

void DrawHorizontalLines(Image& img, int left, int top, int width) {
    int y = top;
    for (int w = 1; w <= 4; ++w) {
        for (int line = 0; line < 6; ++line) {
            img.Fill(left, y, left + width, y + w, kBlack);
            y += 2 * w;
        }
        y += 12;
    }
}

void DrawStar(Image& img, int cx, int cy, int radius, Rgb ink) {
    constexpr int kSpokes = 72;
    const double sector = 2.0 * std::numbers::pi / kSpokes;
    for (int y = cy - radius; y <= cy + radius; ++y) {
        for (int x = cx - radius; x <= cx + radius; ++x) {
            const double dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy > static_cast<double>(radius) * radius) continue;
            const double angle = std::atan2(dy, dx) + std::numbers::pi;
            if (static_cast<int>(angle / sector) % 2 == 0) img.Set(x, y, ink);
        }
    }
}

// Checkerboards of 1 to 4 pixel cells: the finest detail the sheet can show.
void DrawCheckers(Image& img, int left, int top, int height) {
    int x0 = left;
    for (int cell = 1; cell <= 4; ++cell) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 210; ++x) {
                if ((x / cell + y / cell) % 2 == 0) img.Set(x0 + x, top + y, kBlack);
            }
        }
        x0 += 230;
    }
}

void DrawFrame(Image& img) {
    img.Fill(0, 0, kWidth, 3, kBlack);
    img.Fill(0, kHeight - 3, kWidth, kHeight, kBlack);
    img.Fill(0, 0, 3, kHeight, kBlack);
    img.Fill(kWidth - 3, 0, kWidth, kHeight, kBlack);
}

Image Compose() {
    Image img;
    DrawPatches(img, 20, 140);        // rows 20 .. 299
    DrawSpectrum(img, 320, 200);      // rows 320 .. 519
    DrawGreySteps(img, 540, 130);     // rows 540 .. 671
    DrawGradients(img, 690, 40);      // rows 690 .. 849
    const int linesTop = 880;
    const int linesHeight = 280; // rows 880 .. 1159
    int right = 0;
    DrawVerticalLines(img, kMargin + 20, linesTop, linesHeight, right);
    DrawHorizontalLines(img, right + 40, linesTop, 1200);
    const int starRadius = linesHeight / 2;
    DrawStar(img, right + 1240 + 60 + starRadius, linesTop + starRadius, starRadius, kBlack);
    DrawStar(img, right + 1240 + 120 + 3 * starRadius, linesTop + starRadius, starRadius,
             {0, 255, 255});
    DrawStar(img, right + 1240 + 180 + 5 * starRadius, linesTop + starRadius, starRadius,
             {255, 0, 255});
    DrawStar(img, right + 1240 + 240 + 7 * starRadius, linesTop + starRadius, starRadius,
             {255, 255, 0});
    DrawCheckers(img, kWidth - kMargin - 4 * 230 + 20, linesTop, linesHeight);
    DrawFrame(img);
    return img;
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::vector<std::uint8_t> Encode(const Image& img) {
    constexpr std::uint32_t kRowBytes = (kWidth * 3 + 3) / 4 * 4;
    constexpr std::uint32_t kOffset = 14 + 40;
    constexpr std::uint32_t kPixelBytes = kRowBytes * kHeight;
    std::vector<std::uint8_t> out;
    out.reserve(kOffset + kPixelBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    PutU32(out, kOffset + kPixelBytes);
    PutU32(out, 0);
    PutU32(out, kOffset);
    // Information header: a positive height means bottom-up rows.
    PutU32(out, 40);
    PutU32(out, kWidth);
    PutU32(out, kHeight);
    PutU16(out, 1);  // planes
    PutU16(out, 24); // bits per pixel
    PutU32(out, 0);  // no compression
    PutU32(out, kPixelBytes);
    PutU32(out, 14173); // 360 dpi in pixels per metre
    PutU32(out, 14173);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = img.Get(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (std::uint32_t pad = kWidth * 3; pad < kRowBytes; ++pad) out.push_back(0);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    const std::filesystem::path target = argv[1];
    const std::vector<std::uint8_t> bytes = Encode(Compose());
    // Written beside the target and renamed, so an interrupted build never
    // leaves a truncated image behind.
    std::filesystem::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", temp.string().c_str());
            return 1;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::fprintf(stderr, "cannot write %s: %s\n", target.string().c_str(),
                     ec.message().c_str());
        std::filesystem::remove(temp, ec);
        return 1;
    }
    return 0;
}
