// A fresh temporary game folder entered as the working folder for the object's life; the log
// and every file the engine writes by name land there.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

class WorkingFolder {
  public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const TempDir& Dir() const { return dir_; }
    // The content of "vondrel.log", or "" when there is none.
    std::string Log() const;

  private:
    TempDir dir_;
    std::filesystem::path previous_;
};
