#include "tests/support/working_folder.h"

WorkingFolder::WorkingFolder() : dir_(std::in_place), previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_->Absolute());
}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
}

std::string WorkingFolder::Log() const {
    return dir_->Read("vondrel.log");
}
