#include "platform/module_decoder.h"

#include <libopenmpt/libopenmpt.h>

std::unique_ptr<ModuleDecoder> ModuleDecoder::Open(std::span<const uint8_t> data) {
    if (data.empty()) return nullptr;
    // Silent: a refused file is reported by the caller, which knows its name.
    openmpt_module* module =
        openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    if (module == nullptr) return nullptr;
    return std::unique_ptr<ModuleDecoder>(new ModuleDecoder(module));
}

bool ModuleDecoder::LooksLikeModule(std::span<const uint8_t> data) {
    return openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data.data(), data.size(),
                                     data.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                     nullptr, nullptr, nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

ModuleDecoder::~ModuleDecoder() {
    openmpt_module_destroy(module_);
}

void ModuleDecoder::Restart(bool looped) {
    openmpt_module_set_repeat_count(module_, looped ? -1 : 0);
    openmpt_module_set_position_seconds(module_, 0.0);
}

size_t ModuleDecoder::Render(int32_t rate, int16_t* out, size_t frames) {
    return openmpt_module_read_interleaved_stereo(module_, rate, frames, out);
}
