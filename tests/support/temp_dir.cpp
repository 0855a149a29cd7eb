#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vondrel_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& bytes) const {
    auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
