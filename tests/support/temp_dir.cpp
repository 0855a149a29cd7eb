#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = "vondrel_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    absolute_ = std::filesystem::current_path() / path_;
    std::filesystem::remove_all(absolute_);
    std::filesystem::create_directories(absolute_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(absolute_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& bytes) const {
    auto p = absolute_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_ / name;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(absolute_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
