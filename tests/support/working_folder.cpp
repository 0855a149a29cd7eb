#include "tests/support/working_folder.h"

WorkingFolder::WorkingFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.Absolute());
}

WorkingFolder::~WorkingFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

std::string WorkingFolder::Log() const {
    return dir_.Read("vondrel.log");
}
