#include "tools/release_folder.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "foundation/exceptions.h"
#include "platform/file_replace.h"
#include "tools/content/demo_content.h"
#include "tools/content/fd_writer.h"
#include "tools/setup_content.h"

namespace {

// The archive is addressed with 32-bit offsets: three programs of this size stay within them even
// when packing grows them.
constexpr std::streamoff kMaxProgramBytes = std::streamoff{256} << 20;

std::string ReadProgram(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    struct stat st;
    if (!in || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        ThrowFatal("Cannot read %s", path.c_str());
    if (st.st_size > kMaxProgramBytes) ThrowFatal("%s is too large for the archive", path.c_str());
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != static_cast<size_t>(st.st_size)) ThrowFatal("Cannot read %s", path.c_str());
    return bytes;
}

void Write(const std::string& path, const std::string& bytes, mode_t mode) {
    if (!ReplaceFile(path, bytes, mode)) ThrowFatal("Cannot write %s", path.c_str());
}

// The game archive "main.fd": the demo game and the uninstaller's texts.
std::string GameArchive() {
    std::vector<FdEntry> entries = DemoArchiveEntries();
    entries.push_back({"uninstall.mes", UninstallMessagesText()});
    FdWriter archive;
    archive.Group(std::move(entries));
    return archive.Build();
}

// Every entry of "data.fd", in the order extraction writes them; programs is the programs' folder
// with its '/'. The programs are packed: the archive is what a user downloads.
std::vector<FdEntry> ArchiveEntries(const std::string& programs) {
    std::vector<FdEntry> entries = {
        {"Vondrel", ReadProgram(programs + "Vondrel"), true},
        {"Tonvik", ReadProgram(programs + "Tonvik"), true},
        {"uninstall", ReadProgram(programs + "uninstall"), true},
        {"main.fd", GameArchive()},
        {"setup.mes", SetupMessagesText()},
        {"Language.lng", LanguageListText()},
    };
    for (ContentFile& document : GameDocuments())
        entries.push_back({document.name, std::move(document.bytes)});
    for (FdEntry& file : DemoLooseFiles()) entries.push_back(std::move(file));
    return entries;
}

}  // namespace

void WriteReleaseFolder(const std::string& folder, const std::string& programsFolder) {
    const std::string programs = programsFolder + "/";
    const std::string setup = ReadProgram(programs + "setup");
    FdWriter archive;
    archive.Group(ArchiveEntries(programs));
    const std::string base = folder + "/";
    Write(base + "data.fd", archive.Build(), 0644);
    Write(base + "Language.lng", LanguageListText(), 0644);
    Write(base + kLicenseFile, LicenseText(), 0644);
    Write(base + "setup", setup, 0755);
}
