#include "tests/setup/setup_fixture.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "tests/support/working_folder.h"

SetupHome::SetupHome()
    : source(temp.Absolute() / "source"),
      home(temp.Absolute() / "home"),
      dataHome(temp.Absolute() / "home/.local/share"),
      configHome(temp.Absolute() / "home/.config"),
      installed(dataHome / "Vondrel"),
      applications(dataHome / "applications"),
      store(configHome.string()),
      desktop(applications.string()) {
    std::filesystem::create_directories(dataHome);
    std::filesystem::create_directories(configHome);
    WriteSetupFolder(source);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
}

SetupHome::~SetupHome() {
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

void SetupHome::RebuildSetupFolder(const SetupFolderOptions& options) {
    WriteSetupFolder(source, options);
}

int SetupHome::Install(SetupUi& ui, const WorkerHook& afterEntry) {
    WorkingFolder here(source);
    SetupServices services{ui, store, desktop, installed.string(), afterEntry, home.string()};
    const int status = RunSetup(services);
    // The installer works inside the install folder and must give the working folder back.
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), source));
    return status;
}

int SetupHome::Uninstall(SetupUi& ui) {
    WorkingFolder here(temp.Absolute());
    UninstallServices services{ui, store, desktop, home.string()};
    const int status = RunUninstall(services);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), temp.Absolute()));
    return status;
}

std::vector<std::string> Tree(const std::filesystem::path& root) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        std::string name = it->path().lexically_relative(root).string();
        if (it->is_directory() && !it->is_symlink()) name += "/";
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const std::string& name : Tree(root)) {
        const std::filesystem::path path = root / name;
        struct stat st {};
        lstat(path.c_str(), &st);
        std::string& seen = files[name];
        seen = std::to_string(st.st_mode & 07777);
        if (!S_ISREG(st.st_mode)) continue;
        // Short texts as they are, so that a difference reads; longer files by size and hash.
        const std::string content = ReadFile(path);
        seen += " " + (content.size() <= 64 ? content
                                            : std::to_string(content.size()) + " bytes, hash " +
                                                  std::to_string(std::hash<std::string>{}(content)));
    }
    return files;
}
