#include "tools/content/demo_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>

#include "tools/content/demo_content.h"
#include "tools/content/picture_builder.h"

namespace {

constexpr uint16_t Rgb555(int r, int g, int b) {
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

// The interface colours; the flight's ships, shots and the first planets keep them as their main
// colours.
constexpr uint16_t kWhite = Rgb555(255, 255, 255);
constexpr uint16_t kGrey = Rgb555(150, 150, 160);
constexpr uint16_t kDark = Rgb555(40, 40, 60);
constexpr uint16_t kYellow = Rgb555(255, 230, 60);
constexpr uint16_t kRed = Rgb555(230, 50, 40);
constexpr uint16_t kBlue = Rgb555(70, 140, 255);
constexpr uint16_t kGreen = Rgb555(60, 220, 90);
constexpr uint16_t kOrange = Rgb555(255, 150, 30);
constexpr uint16_t kDisabled = Rgb555(100, 100, 100);

// The six levels a channel of the palette's colour cube.
constexpr std::array<int, 6> kLevels = {0, 56, 104, 152, 200, 248};

struct Colour {
    double r, g, b;
};

constexpr Colour Of(uint16_t c) {
    return {static_cast<double>((c >> 10 & 31) << 3), static_cast<double>((c >> 5 & 31) << 3),
            static_cast<double>((c & 31) << 3)};
}

int NearestLevel(double v) {
    int best = 0;
    for (int i = 1; i < 6; ++i)
        if (std::abs(kLevels[static_cast<size_t>(i)] - v) < std::abs(kLevels[static_cast<size_t>(best)] - v))
            best = i;
    return kLevels[static_cast<size_t>(best)];
}

// The palette's cube colour nearest to a colour scaled by light (0 dark .. 1 as given, above 1 paler);
// never 0, which is transparent.
uint16_t Lit(uint16_t base, double light) {
    const Colour c = Of(base);
    const auto channel = [light](double v) {
        const double lit = light <= 1 ? v * light : v + (255 - v) * std::min(light - 1, 1.0);
        return NearestLevel(std::clamp(lit, 0.0, 255.0));
    };
    const uint16_t shaded = Rgb555(channel(c.r), channel(c.g), channel(c.b));
    return shaded != 0 ? shaded : Rgb555(0, 0, 56);
}

// Mixes two colours, t from 0 (a) to 1 (b), onto the cube.
uint16_t Mix(uint16_t a, uint16_t b, double t) {
    const Colour x = Of(a), y = Of(b);
    const uint16_t mixed = Rgb555(NearestLevel(x.r + (y.r - x.r) * t), NearestLevel(x.g + (y.g - x.g) * t),
                                  NearestLevel(x.b + (y.b - x.b) * t));
    return mixed != 0 ? mixed : Rgb555(0, 0, 56);
}

// Value noise in 0..1, the same for the same place and seed.
double Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double Noise(double x, double y, int seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Hash(x0, y0, seed), b = Hash(x0 + 1, y0, seed);
    const double c = Hash(x0, y0 + 1, seed), d = Hash(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fractal(double x, double y, int seed) {
    return 0.55 * Noise(x, y, seed) + 0.3 * Noise(2 * x, 2 * y, seed + 1) +
           0.15 * Noise(4 * x, 4 * y, seed + 2);
}

struct Point {
    double x, y;
};

struct Canvas {
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    void Set(int x, int y, uint16_t colour) {
        if (Inside(x, y))
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = colour;
    }
    uint16_t Get(int x, int y) const {
        return Inside(x, y)
                   ? pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]
                   : 0;
    }
    void Box(int x0, int y0, int x1, int y1, uint16_t colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, colour);
    }
    void Line(double x0, double y0, double x1, double y1, uint16_t colour) {
        const int steps = static_cast<int>(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            Set(static_cast<int>(std::lround(x0 + (x1 - x0) * t)),
                static_cast<int>(std::lround(y0 + (y1 - y0) * t)), colour);
        }
    }
    // Every pixel whose centre lies inside the polygon gets the colour that shade gives for it.
    void Polygon(const std::vector<Point>& points, const std::function<uint16_t(int, int)>& shade) {
        for (int y = 0; y < height; ++y) {
            const double cy = y + 0.5;
            std::vector<double> crossings;
            for (size_t i = 0; i < points.size(); ++i) {
                const Point& a = points[i];
                const Point& b = points[(i + 1) % points.size()];
                if ((a.y <= cy) == (b.y <= cy)) continue;
                crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t i = 0; i + 1 < crossings.size(); i += 2)
                for (int x = static_cast<int>(std::ceil(crossings[i] - 0.5)); x + 0.5 < crossings[i + 1]; ++x)
                    Set(x, y, shade(x, y));
        }
    }
    void Polygon(const std::vector<Point>& points, uint16_t colour) {
        Polygon(points, [colour](int, int) { return colour; });
    }
    // A disc lit from the upper left: shade gets the pixel, the lighting (0 .. 1) and the place on the
    // sphere (x and y from -1 to 1).
    void Sphere(double cx, double cy, double r,
                const std::function<uint16_t(int, int, double, double, double)>& shade) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double nx = (x + 0.5 - cx) / r, ny = (y + 0.5 - cy) / r;
                const double d2 = nx * nx + ny * ny;
                if (d2 > 1) continue;
                const double nz = std::sqrt(1 - d2);
                const double light = std::clamp(-0.45 * nx - 0.5 * ny + 0.74 * nz, 0.0, 1.0);
                // A shade of 0 leaves the pixel as it is.
                if (const uint16_t colour = shade(x, y, light, nx, ny); colour != 0) Set(x, y, colour);
            }
    }
    void Disc(double cx, double cy, double r, uint16_t colour) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r) Set(x, y, colour);
    }
    void Ring(double cx, double cy, double r0, double r1, uint16_t colour) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d >= r0 && d <= r1) Set(x, y, colour);
            }
    }
    // A one-pixel outline in the colour round every drawn pixel, on the transparent ones beside it.
    void Outline(uint16_t colour) {
        const std::vector<uint16_t> before = pixels;
        const auto drawn = [&](int x, int y) {
            return Inside(x, y) &&
                   before[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != 0;
        };
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!drawn(x, y) &&
                    (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1)))
                    Set(x, y, colour);
    }
    // The picture's frame with its origin at (originX, originY); unset pixels stay transparent.
    std::string Frame(int originX, int originY) const {
        return FrameBlock({.width = static_cast<uint32_t>(width),
                           .height = static_cast<uint32_t>(height),
                           .bitsPerPixel = 16,
                           .originX = originX,
                           .originY = originY,
                           .flags = 1,
                           .pixels = pixels});
    }
    std::string CentredFrame() const { return Frame(width / 2, height / 2); }

    int width;
    int height;
    std::vector<uint16_t> pixels;
};

std::vector<Point> Scaled(const std::vector<Point>& unit, double sx, double sy, double dx = 0,
                          double dy = 0) {
    std::vector<Point> points;
    for (const Point& p : unit) points.push_back({p.x * sx + dx, p.y * sy + dy});
    return points;
}

std::vector<Point> Mirrored(const std::vector<Point>& unit) {
    std::vector<Point> points;
    for (const Point& p : unit) points.push_back({1 - p.x, p.y});
    return points;
}

std::vector<Point> Flipped(const std::vector<Point>& unit) {
    std::vector<Point> points;
    for (const Point& p : unit) points.push_back({p.x, 1 - p.y});
    return points;
}

// --- ships ---

// A ship seen from above, nose up, in a square of the size: a hull lit from the left, swept wings,
// a cockpit and the engines' flame (flicker 0, 1 ...).
Canvas Ship(int size, uint16_t hull, uint16_t wing, uint16_t cockpit, int flicker, bool down) {
    Canvas c(size, size);
    const double s = size;
    const std::vector<Point> hullShape = {{0.5, 0.02},  {0.58, 0.2},  {0.62, 0.45},
                                          {0.63, 0.72}, {0.59, 0.88}, {0.41, 0.88},
                                          {0.37, 0.72}, {0.38, 0.45}, {0.42, 0.2}};
    const std::vector<Point> leftWing = {{0.39, 0.46}, {0.06, 0.76}, {0.07, 0.86}, {0.39, 0.76}};
    const std::vector<Point> leftFin = {{0.38, 0.74}, {0.26, 0.94}, {0.38, 0.9}};
    const auto place = [&](const std::vector<Point>& unit) {
        return Scaled(down ? Flipped(unit) : unit, s, s);
    };
    const auto sideLit = [&](uint16_t base) {
        return [&, base](int x, int) { return Lit(base, 0.75 + 0.5 * (1 - (x + 0.5) / s)); };
    };
    c.Polygon(place(leftWing), sideLit(wing));
    c.Polygon(place(Mirrored(leftWing)), sideLit(wing));
    c.Polygon(place(leftFin), sideLit(hull));
    c.Polygon(place(Mirrored(leftFin)), sideLit(hull));
    c.Polygon(place(hullShape), [&](int x, int) {
        const double across = (x + 0.5) / s;  // 0.37 .. 0.63
        return across < 0.47 ? Lit(hull, 1.25) : across < 0.55 ? hull : Lit(hull, 0.7);
    });
    // The cockpit: a pale window towards the nose.
    const double cy = down ? 0.72 * s : 0.28 * s;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5 - s / 2) / (0.045 * s), dy = (y + 0.5 - cy) / (0.1 * s);
            if (dx * dx + dy * dy <= 1) c.Set(x, y, dx < -0.2 && dy < 0 ? kWhite : cockpit);
        }
    // The flame behind the engines, longer on every other frame.
    const double flameLength = (0.07 + 0.04 * (flicker % 2)) * s;
    const double engineY = down ? 0.12 * s : 0.88 * s;
    for (double x0 : {0.45, 0.55}) {
        const double fx = x0 * s;
        for (int i = 0; i < static_cast<int>(flameLength) + 1; ++i) {
            const int y = static_cast<int>(down ? engineY - i : engineY + i);
            const uint16_t colour = i < flameLength / 3 ? kYellow : kOrange;
            c.Set(static_cast<int>(fx), y, colour);
            if (size >= 48) {
                c.Set(static_cast<int>(fx) - 1, y, colour);
                c.Set(static_cast<int>(fx) + 1, y, i < flameLength / 2 ? kYellow : kOrange);
            }
        }
    }
    return c;
}

std::string ShipPicture(int size, uint16_t hull, uint16_t wing, uint32_t entries, uint32_t frames,
                        bool down) {
    std::vector<std::string> frameBlocks;
    for (uint32_t f = 0; f < frames; ++f)
        frameBlocks.push_back(
            Ship(size, hull, wing, Rgb555(152, 248, 248), static_cast<int>(f), down).CentredFrame());
    if (entries == 0) return PictureBlock(frameBlocks);
    return PictureBlock(std::vector<std::string>(entries, PictureBlock(frameBlocks)));
}

// --- small flight pictures ---

std::string ShotPicture() {
    Canvas c(2, 8);
    c.Box(0, 0, 2, 8, kYellow);
    c.Box(0, 0, 2, 2, kWhite);
    return PictureBlock({c.CentredFrame()});
}

std::string EnemyShotPicture() {
    Canvas c(5, 5);
    c.Disc(2.5, 2.5, 2.5, kRed);
    c.Set(2, 2, kYellow);
    return PictureBlock({c.CentredFrame()});
}

// A glowing ball that grows over the frames: white and yellow inside, orange and red outside.
std::string FireballPicture(int size, int frames) {
    std::vector<std::string> blocks;
    for (int f = 0; f < frames; ++f) {
        Canvas c(size, size);
        const double r = size / 2.0 * (0.45 + 0.55 * (f + 1) / frames);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / r;
                const double ragged = d + 0.25 * (Noise(x * 0.6, y * 0.6, 40 + f) - 0.5);
                if (ragged > 1) continue;
                const double heat = 1 - ragged + 0.15 * f / frames;
                c.Set(x, y, heat > 0.75 ? kWhite : heat > 0.5 ? kYellow : heat > 0.25 ? kOrange : kRed);
            }
        blocks.push_back(c.CentredFrame());
    }
    return PictureBlock(blocks);
}

// A bonus: a crate with a glowing cross on its lid.
std::string CratePicture() {
    std::vector<std::string> frames;
    for (int f = 0; f < 2; ++f) {
        Canvas c(16, 16);
        c.Box(1, 1, 15, 15, Lit(kGrey, 0.7));
        c.Box(2, 2, 14, 14, kGrey);
        c.Box(2, 2, 14, 3, Lit(kGrey, 1.3));
        c.Box(2, 2, 3, 14, Lit(kGrey, 1.3));
        const uint16_t glow = f == 0 ? kGreen : Lit(kGreen, 1.4);
        c.Box(7, 4, 9, 12, glow);
        c.Box(4, 7, 12, 9, glow);
        frames.push_back(c.CentredFrame());
    }
    return PictureBlock(frames);
}

// A coin or a cell on a bonus: a rimmed disc whose shine moves from frame to frame.
std::string TokenPicture(uint16_t face, uint16_t mark) {
    std::vector<std::string> frames;
    for (int f = 0; f < 2; ++f) {
        Canvas c(14, 14);
        c.Disc(7, 7, 7, kGreen);
        c.Disc(7, 7, 5.5, face);
        c.Box(6, 4, 8, 10, mark);
        c.Box(4 + 2 * f, 3, 5 + 2 * f, 4, kWhite);
        frames.push_back(c.CentredFrame());
    }
    return PictureBlock(frames);
}

// --- interface ---

std::string PointerPicture() {
    Canvas c(12, 18);
    const std::vector<Point> arrow = {{0, 0}, {0, 15}, {4, 11.5}, {7, 17}, {9, 16}, {6.5, 10.5}, {11, 10.5}};
    c.Polygon(arrow, [](int x, int y) { return x + y < 9 ? kWhite : Lit(kGrey, 1.2); });
    c.Outline(kDark);
    return PictureBlock({c.Frame(0, 0)});
}

// The flight's stars: frames of a bright, a middle and a faint one.
std::string SkyPicture() {
    std::vector<std::string> frames;
    for (uint16_t colour : {kWhite, kGrey, Rgb555(104, 104, 152)}) {
        Canvas c(2, 2);
        c.Box(0, 0, colour == kWhite ? 2 : 1, colour == kWhite ? 2 : 1, colour);
        frames.push_back(c.Frame(0, 0));
    }
    return PictureBlock(frames);
}

std::string StarsPicture() {
    std::vector<std::string> entries;
    for (uint16_t colour : {kWhite, kGrey, kDark}) {
        Canvas c(2, 2);
        c.Box(0, 0, 2, 2, colour);
        entries.push_back(PictureBlock({c.Frame(0, 0)}));
    }
    return PictureBlock(entries);
}

// A rule across the list screens: bright in the middle, fading out at both ends.
std::string RulePicture() {
    Canvas c(560, 3);
    for (int x = 0; x < c.width; ++x) {
        const double t = 1 - std::abs(x + 0.5 - c.width / 2.0) / (c.width / 2.0);
        c.Set(x, 0, Mix(kDark, kBlue, t));
        c.Set(x, 1, Mix(kDark, Lit(kBlue, 1.5), t));
        c.Set(x, 2, Mix(kDark, Lit(kBlue, 0.6), t));
    }
    return PictureBlock({c.CentredFrame()});
}

// A bevelled arrow pointing up or down; the second frame is lit.
std::string ArrowPicture(bool up) {
    std::vector<std::string> frames;
    for (int f = 0; f < 2; ++f) {
        Canvas c(18, 12);
        const std::vector<Point> shape =
            up ? std::vector<Point>{{9, 0}, {18, 12}, {0, 12}} : std::vector<Point>{{0, 0}, {18, 0}, {9, 12}};
        const uint16_t face = f == 0 ? kBlue : Lit(kBlue, 1.4);
        c.Polygon(shape, [&](int x, int) { return x < 9 ? Lit(face, 1.2) : face; });
        c.Outline(Lit(kBlue, 0.4));
        frames.push_back(c.CentredFrame());
    }
    return PictureBlock(frames);
}

std::string KnobPicture() {
    std::vector<std::string> frames;
    for (int f = 0; f < 2; ++f) {
        Canvas c(10, 16);
        c.Box(0, 0, 10, 16, Lit(kGrey, 0.6));
        c.Box(1, 1, 9, 15, f == 0 ? kGrey : Lit(kGrey, 1.3));
        c.Box(1, 1, 9, 2, kWhite);
        for (int y : {5, 8, 11}) c.Box(3, y, 7, y + 1, Lit(kGrey, 0.6));
        frames.push_back(c.CentredFrame());
    }
    return PictureBlock(frames);
}

// The equipment places: a bevelled well in three states (0 off, 1 ready, 2 damaged), the highlight
// drawn over one, and the three states again with the green light of a switched-on item.
std::string SlotsPicture() {
    std::vector<std::string> frames;
    const uint16_t tints[3] = {Rgb555(56, 56, 104), Rgb555(56, 104, 152), Rgb555(152, 56, 56)};
    const auto well = [&](int state, bool on) {
        Canvas c(32, 32);
        const uint16_t tint = tints[state];
        c.Box(0, 0, 32, 32, Lit(tint, 0.6));
        c.Box(0, 0, 32, 1, Lit(tint, 1.5));
        c.Box(0, 0, 1, 32, Lit(tint, 1.5));
        c.Box(2, 2, 30, 30, Lit(tint, 0.45));
        // The well's floor darkens towards its foot, as lit from above.
        for (int y = 3; y < 29; ++y) c.Box(3, y, 29, y + 1, Lit(tint, 1.2 - (y - 3) / 40.0));
        if (on) c.Box(25, 4, 28, 7, kGreen);
        return c.CentredFrame();
    };
    for (int state = 0; state < 3; ++state) frames.push_back(well(state, false));
    Canvas highlight(32, 32);
    for (int i = 0; i < 32; ++i)
        for (int edge : {0, 1, 30, 31}) {
            highlight.Set(i, edge, kYellow);
            highlight.Set(edge, i, kYellow);
        }
    frames.push_back(highlight.CentredFrame());
    for (int state = 0; state < 3; ++state) frames.push_back(well(state, true));
    return PictureBlock(frames);
}

// The guide places: one picture of an arrow pointing up, drawn turned for the other directions.
std::string GuidesPicture() {
    Canvas c(16, 16);
    c.Polygon({{8, 1}, {14, 9}, {10, 9}, {10, 15}, {6, 15}, {6, 9}, {2, 9}}, kGreen);
    c.Outline(Lit(kGreen, 0.4));
    return PictureBlock({PictureBlock({PictureBlock({c.CentredFrame()})})});
}

// The horns that flank the list screens: a golden curl standing on the screen's edge, frame 0 for
// the left edge (its origin on its left side) and frame 1, mirrored, for the right.
std::string HornPicture() {
    Canvas c(34, 64);
    const uint16_t gold = Rgb555(248, 200, 56);
    c.Polygon({{0, 4}, {10, 10}, {18, 24}, {22, 32}, {18, 40}, {10, 54}, {0, 60}},
              [&](int x, int y) { return Lit(gold, 0.6 + 0.6 * (1 - std::abs(y - 32.0) / 32) - 0.015 * x); });
    c.Disc(26, 32, 7, Lit(gold, 1.2));
    c.Disc(27, 31, 3, Lit(gold, 0.6));
    c.Outline(Lit(gold, 0.35));
    Canvas mirrored(34, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 34; ++x) mirrored.Set(33 - x, y, c.Get(x, y));
    return PictureBlock({c.Frame(0, 32), mirrored.Frame(34, 32)});
}

// The input settings' pictures: frame 0 a mouse, frame 1 a joystick.
std::string InputDevicesPicture() {
    Canvas mouse(40, 56);
    mouse.Polygon({{6, 8}, {34, 8}, {38, 24}, {36, 44}, {28, 54}, {12, 54}, {4, 44}, {2, 24}},
                  [](int x, int) { return Lit(kGrey, 1.25 - x / 60.0); });
    mouse.Line(20, 8, 20, 24, Lit(kGrey, 0.5));
    mouse.Line(4, 24, 36, 24, Lit(kGrey, 0.5));
    mouse.Box(18, 12, 23, 20, kBlue);
    mouse.Line(20, 0, 20, 8, kGrey);
    mouse.Line(20, 0, 30, 0, kGrey);
    mouse.Outline(kDark);
    Canvas stick(48, 56);
    stick.Polygon({{4, 44}, {44, 44}, {46, 54}, {2, 54}},
                  [](int x, int) { return Lit(kDark, 2.2 - x / 40.0); });
    stick.Box(21, 12, 27, 46, kGrey);
    stick.Disc(24, 10, 8, kRed);
    stick.Disc(21, 7, 2.5, Lit(kRed, 1.6));
    stick.Disc(38, 46, 3, kYellow);
    stick.Outline(kDark);
    return PictureBlock({mouse.CentredFrame(), stick.CentredFrame()});
}

// Decorations of the save and load screens and of the loading screen: a data disk in three frames
// whose shine moves on (the save screens show the frames of the first entry, the loading screen frame k
// of entry k).
std::string SaveDiskPicture() {
    const auto disk = [](int frame) {
        constexpr int s = 40;
        Canvas c(s, s);
        c.Box(0, 0, s, s, Lit(kBlue, 0.55));
        c.Box(1, 1, s - 1, s - 1, Lit(kBlue, 0.8));
        c.Box(s / 4, 0, s * 3 / 4, s * 3 / 8, kGrey);
        c.Box(s * 5 / 8 - 1, s / 16, s * 11 / 16, s * 5 / 16, Lit(kGrey, 0.5));
        c.Box(s / 8, s / 2, s * 7 / 8, s - 2, kWhite);
        for (int line = 0; line < 3; ++line)
            c.Box(s / 6, s / 2 + 4 + line * s / 8, s * 5 / 6, s / 2 + 5 + line * s / 8, Lit(kGrey, 0.8));
        const int shine = (frame * s) / 3;
        c.Line(shine, s - 1, shine + s / 4, s * 3 / 4, Lit(kBlue, 1.6));
        return c.CentredFrame();
    };
    std::vector<std::string> frames;
    for (int f = 0; f < 3; ++f) frames.push_back(disk(f));
    return PictureBlock(std::vector<std::string>(3, PictureBlock(frames)));
}

// Shards a broken actor splits into: their masks cut the pieces.
std::string ShardsPicture() {
    Canvas c(8, 8);
    c.Polygon({{0, 0}, {8, 1}, {5, 8}, {1, 6}}, kGrey);
    return PictureBlock({c.Frame(0, 0)});
}

// --- galaxy ---

// The stars of the galaxy map: a yellow, a red and a blue-white one, rays across each.
std::string StarSystemsPicture() {
    std::vector<std::string> entries;
    for (uint16_t colour : {kYellow, kOrange, Rgb555(200, 248, 248)}) {
        Canvas c(21, 21);
        c.Line(10, 0, 10, 20, Lit(colour, 0.6));
        c.Line(0, 10, 20, 10, Lit(colour, 0.6));
        c.Disc(10.5, 10.5, 6, Lit(colour, 0.75));
        c.Disc(10.5, 10.5, 4.5, colour);
        c.Disc(9.5, 9.5, 2, kWhite);
        entries.push_back(PictureBlock({c.CentredFrame()}));
    }
    return PictureBlock(entries);
}

struct PlanetStyle {
    uint16_t base;
    uint16_t second;
    int seed;
};

PlanetStyle StyleOf(PlanetLook look) {
    switch (look) {
        case PlanetLook::Market:
            return {kBlue, kGreen, 1};
        case PlanetLook::Moon:
            return {kGrey, Rgb555(104, 104, 120), 2};
        case PlanetLook::Mining:
            return {Rgb555(200, 104, 56), Rgb555(104, 56, 56), 3};
        case PlanetLook::GasGiant:
            return {Rgb555(248, 200, 104), Rgb555(200, 104, 56), 4};
        case PlanetLook::Ocean:
            return {Rgb555(56, 104, 248), kWhite, 5};
        case PlanetLook::Desert:
            return {Rgb555(248, 200, 152), Rgb555(200, 152, 104), 6};
    }
    return {kGrey, kGrey, 0};
}

// A planet in a square of the size (a ringed one a little wider). Light stays soft, so that even the
// dark side of the first planets reads as lit from close by.
std::string PlanetPicture(PlanetLook look, int size) {
    const PlanetStyle style = StyleOf(look);
    const bool ringed = look == PlanetLook::GasGiant;
    const int width = ringed ? size * 3 / 2 : size;
    Canvas c(width, size);
    const double cx = width / 2.0, cy = size / 2.0, r = size / 2.0;
    const double detail = size / 16.0;
    const auto ringAt = [&](int x, int y, bool front) {
        const double dx = (x + 0.5 - cx) / (r * 1.45), dy = (y + 0.5 - cy) / (r * 0.32);
        const double d = dx * dx + dy * dy;
        return d <= 1 && d >= 0.55 && ((y + 0.5 > cy) == front);
    };
    if (ringed)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < width; ++x)
                if (ringAt(x, y, false)) c.Set(x, y, Lit(style.second, 1.1));
    c.Sphere(cx, cy, r, [&](int, int, double light, double nx, double ny) {
        const double shade = 0.7 + 0.35 * light;
        const double n = Fractal((nx + 1) * detail * 0.6, (ny + 1) * detail * 0.6, style.seed);
        switch (look) {
            case PlanetLook::Market:
                return Lit(n > 0.5 ? style.second : style.base, shade);
            case PlanetLook::Moon: {
                const double crater = Fractal((nx + 1) * detail, (ny + 1) * detail, style.seed + 9);
                return Lit(crater > 0.68 ? style.second : style.base, shade + (n - 0.5) * 0.2);
            }
            case PlanetLook::Mining:
                return Lit(n > 0.58 ? style.second : style.base, shade);
            case PlanetLook::GasGiant: {
                const double band = std::sin(ny * 9 + 2 * Noise(nx * 3, ny * 3, style.seed));
                return Lit(band > 0.2 ? style.base : style.second, shade);
            }
            case PlanetLook::Ocean:
                return Lit(n > 0.62 ? style.second : style.base, n > 0.62 ? shade * 0.9 : shade);
            case PlanetLook::Desert: {
                const double dune = std::sin((nx + ny) * detail * 1.5 + 4 * n);
                return Lit(dune > 0.3 ? style.second : style.base, shade);
            }
        }
        return style.base;
    });
    if (ringed)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < width; ++x)
                if (ringAt(x, y, true)) c.Set(x, y, Lit(style.second, 1.2));
    // The first system's planets keep their rims: the market's blue, the moon's dark one.
    if (look == PlanetLook::Market || look == PlanetLook::Moon) {
        const uint16_t rim = look == PlanetLook::Market ? kBlue : kDark;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d <= r && d > r - std::max(2.0, size / 24.0)) c.Set(x, y, rim);
            }
    }
    return PictureBlock({c.CentredFrame()});
}

// The rim of a great planet rising from the lower right corner of the screen.
std::string EmptyPlanetsPicture() {
    Canvas c(240, 180);
    c.Sphere(300, 260, 260, [](int, int, double light, double nx, double ny) {
        return Lit(Fractal((nx + 1) * 6, (ny + 1) * 6, 11) > 0.55 ? kGreen : kBlue, 0.5 + 0.5 * light);
    });
    return PictureBlock({PictureBlock({c.Frame(240, 180)})});
}

// --- shop items ---

std::string GunPicture() {
    Canvas c(26, 26);
    c.Box(5, 12, 21, 22, Lit(kGrey, 0.8));
    c.Box(5, 12, 21, 14, Lit(kGrey, 1.3));
    c.Box(11, 2, 15, 13, kGrey);
    c.Box(11, 2, 12, 13, kWhite);
    c.Box(10, 1, 16, 4, kYellow);
    c.Box(8, 16, 18, 19, kYellow);
    c.Outline(kDark);
    return PictureBlock({c.CentredFrame()});
}

std::string CellPicture() {
    Canvas c(26, 26);
    c.Box(6, 4, 20, 24, Lit(kGrey, 0.7));
    c.Box(10, 2, 16, 4, kGrey);
    for (int i = 0; i < 4; ++i) c.Box(8, 20 - 4 * i, 18, 23 - 4 * i, i < 3 ? Lit(kBlue, 1.2) : kBlue);
    c.Box(8, 6, 10, 22, Lit(kWhite, 1));
    c.Outline(kDark);
    return PictureBlock({c.CentredFrame()});
}

std::string EnginePicture() {
    Canvas c(26, 26);
    c.Polygon({{8, 2}, {18, 2}, {20, 14}, {23, 22}, {3, 22}, {6, 14}},
              [](int x, int) { return Lit(kGrey, 1.3 - x / 40.0); });
    c.Box(9, 4, 17, 7, Lit(kGrey, 0.6));
    c.Box(5, 22, 21, 25, kOrange);
    c.Box(9, 22, 17, 24, kYellow);
    c.Outline(kDark);
    return PictureBlock({c.CentredFrame()});
}

// --- people ---

// The foreman of the Dunmar mines: a face under a miner's helmet with its lamp.
std::string ForemanPicture() {
    Canvas c(110, 140);
    const uint16_t skin = Rgb555(248, 200, 152);
    const uint16_t suit = Rgb555(200, 104, 56);
    c.Polygon({{10, 140}, {18, 106}, {40, 96}, {70, 96}, {92, 106}, {100, 140}},
              [&](int x, int) { return Lit(suit, 1.1 - x / 220.0); });
    c.Sphere(55, 66, 30,
             [&](int, int, double light, double, double) { return Lit(skin, 0.65 + 0.4 * light); });
    c.Polygon({{28, 74}, {82, 74}, {78, 96}, {55, 104}, {32, 96}},
              [](int x, int y) { return Lit(kGrey, 0.55 + 0.2 * Noise(x * 0.5, y * 0.5, 21)); });
    c.Box(40, 60, 49, 64, kDark);
    c.Box(61, 60, 70, 64, kDark);
    c.Box(48, 84, 62, 86, Lit(skin, 0.5));
    c.Sphere(55, 44, 32, [&](int, int y, double light, double, double) {
        return y > 50 ? 0 : Lit(kYellow, 0.55 + 0.45 * light);
    });
    c.Box(22, 46, 88, 52, Lit(kYellow, 0.5));
    c.Disc(55, 26, 7, kWhite);
    c.Disc(55, 26, 4, Lit(kYellow, 1.5));
    return PictureBlock({c.CentredFrame()});
}

// --- the 256-colour palette and the interface colours ---

std::string Palette() {
    const auto reduced = [](uint16_t c) {
        return Rgb{static_cast<uint8_t>(c >> 7 & 0xF8), static_cast<uint8_t>(c >> 2 & 0xF8),
                   static_cast<uint8_t>((c & 0x1F) << 3)};
    };
    // Black (the transparent index), the interface colours, the cube, then greys.
    std::vector<Rgb> colours = {{0, 0, 0}};
    for (uint16_t c : {kWhite, kGrey, kDark, kYellow, kRed, kBlue, kGreen, kOrange, kDisabled})
        colours.push_back(reduced(c));
    for (int r : kLevels)
        for (int g : kLevels)
            for (int b : kLevels)
                colours.push_back(
                    {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)});
    for (uint8_t v = 8; colours.size() < 256; v += 8) colours.push_back({v, v, v});
    return PaletteBlockBytes(colours);
}

std::string ColourTable() {
    return PictureBlock(
        {FrameBlock({.width = 16, .height = 1, .bitsPerPixel = 16, .pixels = DemoInterfaceColours()})});
}

}  // namespace

std::vector<uint16_t> DemoInterfaceColours() {
    std::vector<uint16_t> colours(16, kGrey);
    colours[0] = 0;
    colours[1] = kWhite;
    colours[2] = kGrey;
    colours[3] = kYellow;
    // Dialog panels: a dark blue inside a pale blue edge. A panel shows a quarter of what lies under
    // it, so its three quarters of this blue keep white text legible over the brightest picture.
    colours[4] = Rgb555(0, 64, 160);
    colours[5] = Rgb555(152, 200, 248);
    colours[6] = kDisabled;
    colours[7] = kRed;
    return colours;
}

std::string PlanetPictureName(PlanetLook look, bool large) {
    static const char* const names[] = {"Market", "Moon", "Mining", "GasGiant", "Ocean", "Desert"};
    return std::string("Planets\\") + names[static_cast<int>(look)] + (large ? "Large.dpf" : ".dpf");
}

std::vector<FdEntry> DemoPictures() {
    std::vector<FdEntry> entries = {
        {"Misc\\Default.col", Palette()},
        {"Misc\\Colors.dpf", ColourTable(), true},
        {"Misc\\GalaxyCursor.dpf", PointerPicture()},
        {"Misc\\MainShip.dpf", ShipPicture(96, kBlue, Rgb555(56, 104, 200), 0, 1, false)},
        {"Misc\\Stars.dpf", StarsPicture()},
        {"Demo\\Sky.dpf", SkyPicture()},
        {"Misc\\SaveDisk.dpf", SaveDiskPicture()},
        {"Misc\\Broker.dpf", ShardsPicture()},
        {"Misc\\Bonus.dpf", CratePicture()},
        {"Misc\\MoneyBonus.dpf", TokenPicture(kYellow, kOrange)},
        {"Misc\\EnergyBonus.dpf", TokenPicture(kBlue, kWhite)},
        {"Misc\\SchemaLine.dpf", RulePicture()},
        {"Misc\\Slider.dpf", KnobPicture()},
        {"Misc\\Up.dpf", ArrowPicture(true)},
        {"Misc\\Down.dpf", ArrowPicture(false)},
        {"Misc\\Slots.dpf", SlotsPicture()},
        {"Misc\\Guides.dpf", GuidesPicture()},
        {"Misc\\Horn.dpf", HornPicture()},
        {"Misc\\InputSettings.dpf", InputDevicesPicture()},
        {"Misc\\StarSystems.dpf", StarSystemsPicture()},
        {"Planets\\EmptyPlanets.dpf", EmptyPlanetsPicture()},
        {"Demo\\Ship.dpf", ShipPicture(24, kBlue, kWhite, 5, 2, false)},
        {"Demo\\Enemy.dpf", ShipPicture(20, kRed, kOrange, 0, 2, true)},
        {"Demo\\Shot.dpf", ShotPicture()},
        {"Demo\\EnemyShot.dpf", EnemyShotPicture()},
        {"Demo\\Gun.dpf", GunPicture()},
        {"Demo\\Cell.dpf", CellPicture()},
        {"Demo\\Engine.dpf", EnginePicture()},
        {"Demo\\Foreman.dpf", ForemanPicture()},
        {"Explosions\\Explosion1.dpf", FireballPicture(24, 4)},
        {"Explosions\\SmallExplosion.dpf", FireballPicture(8, 2)},
    };
    for (PlanetLook look : {PlanetLook::Market, PlanetLook::Moon, PlanetLook::Mining, PlanetLook::GasGiant,
                            PlanetLook::Ocean, PlanetLook::Desert}) {
        const bool first = look == PlanetLook::Market || look == PlanetLook::Moon;
        entries.push_back({PlanetPictureName(look, false),
                           PlanetPicture(look, first ? static_cast<int>(kDemoPlanetSize) : 56)});
        entries.push_back({PlanetPictureName(look, true), PlanetPicture(look, 180)});
    }
    return entries;
}
