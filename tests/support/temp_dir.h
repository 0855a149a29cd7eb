// A temporary folder that is removed with everything in it when the object goes. It is made inside
// the working folder, which stands for the game folder, and Path() names it relative to there:
// the engine finds and creates files only by names inside the game folder.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Relative to the working folder at construction: valid while the working folder stays.
    const std::filesystem::path& Path() const { return path_; }
    // Valid wherever the working folder moves (for tests that enter the folder).
    const std::filesystem::path& Absolute() const { return absolute_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes a file (creating folders) and returns its path (relative, as Path()).
    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

  private:
    std::filesystem::path path_;
    std::filesystem::path absolute_;
};
