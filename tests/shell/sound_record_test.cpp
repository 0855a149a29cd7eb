#include "shell/sound_record.h"

#include <gtest/gtest.h>

#include "foundation/sepk_lzw.h"
#include "tests/shell/sound_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/support/memory_peak.h"
#include "tools/content/block_writer.h"
#include "tools/content/fd_writer.h"

namespace {

std::string PackedClaiming(const std::string& plain, uint32_t declared) {
    std::string packed = SepkPacked(plain);
    packed.replace(14, 4, LeU32(declared));
    return packed;
}

// Bytes that the packer cannot shorten much: a long code stream.
std::string Noise(size_t n) {
    std::string bytes(n, '\0');
    uint32_t state = 1;
    for (char& c : bytes) {
        state = state * 214013 + 2531011;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

}  // namespace

TEST(SoundRecordTest, SizesTheContentCannotHoldAreRefusedBeforeReading) {
    const std::string wave = WaveFile(100);
    const struct {
        const char* what;
        std::string bytes;
        const char* error;  // the end of the message; "" when the sound is read
    } cases[] = {
        {"packed wave", SepkPacked(wave), ""},
        {"impossible declared size", PackedClaiming(wave, 0xF0000000u), "corrupt packed data in "},
        {"declared size above the cap", PackedClaiming(Noise(400000), 65u << 20), "\" is too large"},
        {"declared size the code stream does not live up to", PackedClaiming(wave, 2000), "\" ends early"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SoundRecord record;
        MemoryPeak memory;
        const std::string message = ErrorMessage([&] { Refill(record, c.bytes); });
        if (*c.error == '\0') {
            EXPECT_EQ(message, "no error");
            EXPECT_EQ(record.DataSize(), wave.size());
        } else {
            EXPECT_NE(message.find(c.error), std::string::npos) << message;
            EXPECT_NE(message.find("sound.bin"), std::string::npos) << message;
            EXPECT_EQ(record.DataSize(), 0u);
        }
        EXPECT_LT(memory.ResidentGrowth(), 64u << 20);
    }
}
