// Makes a folder the working folder for the object's life and restores the old one after: either a
// fresh temporary game folder, where the log and every file the engine writes by name land, or a
// folder given.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

class WorkingFolder {
  public:
    WorkingFolder();
    explicit WorkingFolder(const std::filesystem::path& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // The temporary folder (only for the first kind).
    const TempDir& Dir() const { return *dir_; }
    // The content of "vondrel.log" there, or "" when there is none.
    std::string Log() const;

  private:
    std::optional<TempDir> dir_;
    std::filesystem::path previous_;
};
