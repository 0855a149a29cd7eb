// Music modules, read and rendered by the module library: MOD with any of its tags, XM, S3M, IT, MTM
// and every other format the library knows. The library decides what is a module, so no format is
// refused before it has seen the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct openmpt_module;

class ModuleDecoder {
  public:
    // Null when the library does not read the data as a module. The data need not outlive it.
    static std::unique_ptr<ModuleDecoder> Open(std::span<const uint8_t> data);
    // A cheap look at the first bytes: whether the library knows them as a module's. Open decides.
    static bool LooksLikeModule(std::span<const uint8_t> data);

    ~ModuleDecoder();
    ModuleDecoder(const ModuleDecoder&) = delete;
    ModuleDecoder& operator=(const ModuleDecoder&) = delete;

    // Back to the start; a looped module plays on from its end for ever.
    void Restart(bool looped);
    // Renders up to frames frames of 16-bit interleaved stereo at rate into out; fewer once a module
    // that does not loop has ended (0 from then on).
    size_t Render(int32_t rate, int16_t* out, size_t frames);

  private:
    explicit ModuleDecoder(openmpt_module* module) : module_(module) {}

    openmpt_module* module_;
};
