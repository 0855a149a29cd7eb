#include "tools/content/demo_sound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "tools/content/block_writer.h"
#include "tools/content/sound_builder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// --- the module format ---

constexpr int kChannels = 4;
constexpr int kRows = 64;
constexpr int kSampleSlots = 31;
// The rate a sample plays at on the note C-2 (period 428): the samples are made for it.
constexpr double kC2Rate = 7093789.2 / (2 * 428);

std::string BeU16(uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string Padded(std::string_view text, size_t width) {
    std::string field(text.substr(0, width));
    field.resize(width, '\0');
    return field;
}

// A note name ("A-2", "C#3", octaves 1 to 3) as the period the player steps the sample by.
uint16_t Period(std::string_view note) {
    static constexpr std::array<uint16_t, 36> kPeriods = {
        856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
        302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
    static constexpr std::string_view kNames = "C-C#D-D#E-F-F#G-G#A-A#B-";
    const size_t at = kNames.find(note.substr(0, 2));
    const int octave = note.size() == 3 ? note[2] - '1' : -1;
    if (note.size() != 3 || at == std::string_view::npos || at % 2 != 0 || octave < 0 || octave > 2)
        throw std::invalid_argument("no such note: " + std::string(note));
    return kPeriods[static_cast<size_t>(octave * 12) + at / 2];
}

struct Cell {
    int sample = 0;
    uint16_t period = 0;
    int effect = 0;
    int parameter = 0;
};

struct Pattern {
    std::array<std::array<Cell, kChannels>, kRows> rows{};

    void Note(int row, int channel, int sample, std::string_view note) {
        Cell& c = rows[static_cast<size_t>(row)][static_cast<size_t>(channel)];
        c.sample = sample;
        c.period = Period(note);
    }
    void Effect(int row, int channel, int effect, int parameter) {
        Cell& c = rows[static_cast<size_t>(row)][static_cast<size_t>(channel)];
        c.effect = effect;
        c.parameter = parameter;
    }
    std::string Bytes() const {
        std::string bytes;
        for (const auto& row : rows)
            for (const Cell& c : row) {
                bytes += static_cast<char>((c.sample & 0xF0) | (c.period >> 8));
                bytes += static_cast<char>(c.period & 0xFF);
                bytes += static_cast<char>((c.sample & 0x0F) << 4 | c.effect);
                bytes += static_cast<char>(c.parameter);
            }
        return bytes;
    }
};

struct Sample {
    std::string name;
    std::vector<int8_t> data;  // an even count of bytes
    int volume = 64;
    bool looped = false;
};

std::string ModuleBytes(const std::string& title, const std::vector<Sample>& samples,
                        const std::vector<Pattern>& patterns, const std::vector<int>& order) {
    std::string mod = Padded(title, 20);
    for (int i = 0; i < kSampleSlots; ++i) {
        if (i >= static_cast<int>(samples.size())) {
            mod += Padded("", 22) + BeU16(0) + '\0' + '\0' + BeU16(0) + BeU16(1);
            continue;
        }
        const Sample& s = samples[static_cast<size_t>(i)];
        const auto words = static_cast<uint16_t>(s.data.size() / 2);
        mod += Padded(s.name, 22) + BeU16(words) + '\0' + static_cast<char>(s.volume);
        // A loop over the whole sample, or none (a loop of one word).
        mod += BeU16(0) + BeU16(s.looped ? words : 1);
    }
    mod += static_cast<char>(order.size());
    mod += '\x7F';
    std::string table(128, '\0');
    for (size_t i = 0; i < order.size(); ++i) table[i] = static_cast<char>(order[i]);
    mod += table + "M.K.";
    for (const Pattern& p : patterns) mod += p.Bytes();
    for (const Sample& s : samples) mod.append(reinterpret_cast<const char*>(s.data.data()), s.data.size());
    return mod;
}

// --- the instruments ---

int8_t Clip(double v) {
    return static_cast<int8_t>(std::clamp(std::lround(v * 127), -127L, 127L));
}

// One cycle of a wave over length samples; a looped sample repeats it.
Sample Wave(const std::string& name, size_t length, int volume, double (*shape)(double)) {
    Sample s{name, {}, volume, true};
    for (size_t i = 0; i < length; ++i)
        s.data.push_back(Clip(shape(static_cast<double>(i) / static_cast<double>(length))));
    return s;
}

double Triangle(double t) {
    return t < 0.5 ? 4 * t - 1 : 3 - 4 * t;
}

// A square with its edges softened by its first few harmonics.
double SoftSquare(double t) {
    double v = 0;
    for (int k = 1; k <= 7; k += 2) v += std::sin(2 * kPi * k * t) / k;
    return 0.8 * v;
}

// A pulse of a quarter's width: a thin, reedy voice for the tune.
double Reed(double t) {
    double v = 0;
    for (int k = 1; k <= 8; ++k) v += std::sin(2 * kPi * k * t) * std::sin(kPi * k * 0.25) / k;
    return 0.9 * v;
}

// Short hits, made for the rate of C-2: a falling tone for the kick, noise for the snare and the hat.
Sample Hit(const std::string& name, size_t length, double startHz, double endHz, double noise, double decay) {
    Sample s{name, {}, 64, false};
    double phase = 0;
    uint32_t seed = 12345;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(length);
        phase += 2 * kPi * (startHz + (endHz - startHz) * t) / kC2Rate;
        seed = seed * 1103515245u + 12345u;
        const double white = static_cast<double>((seed >> 16) & 0x7FFF) / 16384.0 - 1;
        const double envelope = std::exp(-decay * t);
        s.data.push_back(Clip(envelope * ((1 - noise) * std::sin(phase) + noise * white)));
    }
    // The first word of a sample that does not loop stays silent, as players expect.
    s.data[0] = s.data[1] = 0;
    return s;
}

enum Instrument { kBass = 1, kPad, kLead, kKick, kSnare, kHat };
enum Voice { kBassVoice, kLeadVoice, kPadVoice, kDrumVoice };

// Rows of the tune: a note at a row, held until the next; "^" rests.
struct Step {
    int row;
    const char* note;
};

void Tune(Pattern& p, int chord, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const int row = chord * 16 + s.row;
        if (std::string_view(s.note) == "^")
            p.Effect(row, kLeadVoice, 0xC, 0);
        else
            p.Note(row, kLeadVoice, kLead, s.note);
    }
}

// The four chords every pattern walks through, sixteen rows each: A minor, F, C and G.
struct Chord {
    const char* bass;
    std::array<const char*, 3> tones;
};
constexpr std::array<Chord, 4> kChords = {{
    {"A-1", {"A-2", "C-3", "E-3"}},
    {"F-1", {"F-2", "A-2", "C-3"}},
    {"C-2", {"C-3", "E-3", "G-3"}},
    {"G-1", {"G-2", "B-2", "D-3"}},
}};

// Bass, broken chords and drums; the drums fuller when full is set.
Pattern Backing(bool full) {
    Pattern p;
    for (int chord = 0; chord < 4; ++chord) {
        const Chord& c = kChords[static_cast<size_t>(chord)];
        const int base = chord * 16;
        for (int row : {0, 6, 8, 14}) p.Note(base + row, kBassVoice, kBass, c.bass);
        for (int row = 0; row < 16; row += 2) {
            static constexpr int kWalk[] = {0, 1, 2, 1, 0, 1, 2, 1};
            p.Note(base + row, kPadVoice, kPad, c.tones[static_cast<size_t>(kWalk[row / 2])]);
        }
        p.Note(base, kDrumVoice, kKick, "C-2");
        p.Note(base + 8, kDrumVoice, kKick, "C-2");
        if (!full) continue;
        p.Note(base + 4, kDrumVoice, kSnare, "C-2");
        p.Note(base + 12, kDrumVoice, kSnare, "C-2");
        for (int row : {2, 6, 10, 14}) p.Note(base + row, kDrumVoice, kHat, "C-2");
        if (chord == 3) p.Note(base + 14, kDrumVoice, kSnare, "C-2");
    }
    return p;
}

}  // namespace

std::string DemoMusicModule() {
    const std::vector<Sample> samples = {
        Wave("bass", 64, 56, Triangle),
        Wave("pad", 32, 22, SoftSquare),
        Wave("reed", 32, 34, Reed),
        Hit("kick", 1800, 140, 45, 0.05, 6),
        Hit("snare", 1500, 190, 160, 0.75, 7),
        Hit("hat", 500, 3000, 3000, 0.95, 9),
    };
    // The intro: bass, chords and a steady kick; speed 6 at 125 beats, a row an eighth of a second.
    Pattern intro = Backing(false);
    intro.Effect(0, kLeadVoice, 0xF, 6);
    Pattern first = Backing(true);
    Tune(first, 0, {{0, "E-3"}, {4, "D-3"}, {6, "C-3"}, {8, "A-2"}, {12, "C-3"}, {14, "D-3"}});
    Tune(first, 1, {{0, "E-3"}, {4, "F-3"}, {6, "E-3"}, {8, "C-3"}, {12, "A-2"}});
    Tune(first, 2, {{0, "G-3"}, {4, "E-3"}, {6, "D-3"}, {8, "C-3"}, {12, "E-3"}});
    Tune(first, 3, {{0, "D-3"}, {4, "B-2"}, {6, "D-3"}, {8, "G-3"}, {12, "^"}});
    Pattern second = Backing(true);
    Tune(second, 0, {{0, "A-3"}, {4, "G-3"}, {6, "E-3"}, {8, "A-3"}, {12, "B-3"}, {14, "A-3"}});
    Tune(second, 1, {{0, "A-3"}, {4, "G-3"}, {6, "F-3"}, {8, "E-3"}, {12, "C-3"}});
    Tune(second, 2, {{0, "E-3"}, {4, "G-3"}, {6, "E-3"}, {8, "D-3"}, {12, "C-3"}});
    Tune(second, 3, {{0, "B-2"}, {4, "D-3"}, {6, "G-3"}, {8, "F-3"}, {12, "E-3"}, {14, "D-3"}});
    Pattern third = Backing(true);
    Tune(third, 0, {{0, "C-3"}, {2, "E-3"}, {4, "A-3"}, {8, "G-3"}, {10, "E-3"}, {12, "^"}});
    Tune(third, 1, {{0, "F-3"}, {2, "A-3"}, {4, "C-3"}, {8, "A-2"}, {12, "^"}});
    Tune(third, 2, {{0, "E-3"}, {2, "G-3"}, {4, "C-3"}, {8, "D-3"}, {10, "E-3"}, {12, "^"}});
    Tune(third, 3, {{0, "D-3"}, {4, "G-2"}, {8, "B-2"}, {12, "^"}});
    // The tune starts again after the intro.
    third.Effect(63, kLeadVoice, 0xB, 1);
    return ModuleBytes("Vondrel", samples, {intro, first, second, third}, {0, 1, 2, 3});
}

namespace {

constexpr uint32_t kEffectRate = 22050;

std::string Wave16(const std::vector<int16_t>& pcm) {
    std::string data;
    for (int16_t v : pcm) data += LeU16(static_cast<uint16_t>(v));
    const std::string fmt =
        LeU16(1) + LeU16(1) + LeU32(kEffectRate) + LeU32(kEffectRate * 2) + LeU16(2) + LeU16(16);
    const std::string body = "WAVE" + std::string("fmt ") + LeU32(static_cast<uint32_t>(fmt.size())) + fmt +
                             "data" + LeU32(static_cast<uint32_t>(data.size())) + data;
    return "RIFF" + LeU32(static_cast<uint32_t>(body.size())) + body;
}

// seconds of sound from a function of the time and of a noise value.
std::vector<int16_t> Render(double seconds, const std::function<double(double, double)>& at) {
    std::vector<int16_t> pcm;
    uint32_t seed = 777;
    const auto count = static_cast<size_t>(seconds * kEffectRate);
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double noise = static_cast<double>((seed >> 16) & 0x7FFF) / 16384.0 - 1;
        const double v = at(static_cast<double>(i) / kEffectRate, noise);
        pcm.push_back(static_cast<int16_t>(std::clamp(v, -1.0, 1.0) * 24000));
    }
    return pcm;
}

// Noise darkened by a running average, so that it rumbles rather than hisses.
std::function<double(double, double)> Rumble(double seconds, double weight, double tone) {
    auto low = std::make_shared<double>(0);
    return [=](double t, double noise) {
        *low += (noise - *low) * weight;
        return std::exp(-4 * t / seconds) * (0.9 * *low * 3 + tone * std::sin(2 * kPi * 55 * t));
    };
}

}  // namespace

std::vector<FdEntry> DemoSounds() {
    const std::string music = DemoMusicModule();
    const auto click =
        Render(0.03, [](double t, double) { return std::exp(-t * 200) * std::sin(2 * kPi * 1800 * t); });
    const auto chime = Render(0.35, [](double t, double) {
        const double hz = t < 0.08 ? 880 : t < 0.16 ? 1108.7 : 1318.5;
        return 0.6 * std::exp(-t * 6) * std::sin(2 * kPi * hz * t);
    });
    // The leaving ship: a rising whoosh.
    std::vector<int16_t> whoosh;
    {
        double phase = 0, low = 0;
        uint32_t seed = 99;
        for (size_t i = 0; i < kEffectRate * 3 / 2; ++i) {
            const double t = static_cast<double>(i) / kEffectRate;
            seed = seed * 1103515245u + 12345u;
            const double noise = static_cast<double>((seed >> 16) & 0x7FFF) / 16384.0 - 1;
            low += (noise - low) * (0.05 + 0.25 * t);
            phase += 2 * kPi * (120 + 500 * t * t) / kEffectRate;
            const double envelope = std::min(t * 4, 1.0) * std::exp(-1.2 * t);
            whoosh.push_back(static_cast<int16_t>(
                std::clamp(envelope * (1.6 * low + 0.3 * std::sin(phase)), -1.0, 1.0) * 22000));
        }
    }
    return {
        {"Sound.subs",
         "Click \"Misc\\Click.wav\"\n"
         "ShipExplosion \"Misc\\ShipExplosion.wav\"\n"
         "BonusGet \"Misc\\BonusGet.wav\"\n"},
        {kDemoFlightMusic, music},
        {"Misc\\Click.wav", Wave16(click)},
        {"Misc\\Silence.wav", Wave16(std::vector<int16_t>(64, 0))},
        {"Misc\\BonusGet.wav", Wave16(chime)},
        {"Misc\\FlyAway.mp3", Mp3FromPcm(whoosh, kEffectRate)},
        {"Misc\\ShipExplosion.wav", Wave16(Render(0.9, Rumble(0.9, 0.08, 0.5)))},
        {"Explosions\\Explosion1.wav", Wave16(Render(0.45, Rumble(0.45, 0.2, 0.2)))},
    };
}
