// Names from files, scripts and the player that would reach outside the game folder (absolute,
// drive letters, "..", either separator) are never found and never created, whichever reader or
// writer is given them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "foundation/packed_stream.h"
#include "script/char_manager.h"
#include "script/message_manager.h"
#include "tests/script/native_fixture.h"
#include "tests/support/working_folder.h"
#include "tools/content/fd_writer.h"

namespace {

namespace fs = std::filesystem;

// Content every reader below would accept: a message file, a characteristics file and a
// substitution list at once.
constexpr const char* kBait = "1 leaked@\r\n";

std::string Backslashed(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

class HostileNamesTest : public NativeFixture {
  protected:
    HostileNamesTest() {
        outside = fs::current_path().parent_path();
        std::ofstream(outside / "bait.txt") << kBait;
        // What a resolver that took "C:" for a folder or a file name would find in the game folder.
        fs::create_directories("c:");
        std::ofstream("c:/bait.txt") << kBait;
        std::ofstream("C:bait.txt") << kBait;
        FdWriter writer;
        writer.Group({{"entry.txt", kBait}});
        std::ofstream("main.FD", std::ios::binary) << writer.Build();
        std::ofstream("inside.txt") << kBait;
        archiveReader.Open(String("main.FD"));
        // Loose files first, as the game opens its archive.
        archive = std::make_unique<FD::File>(&archiveReader, 0);
        manager = std::make_unique<ClassManager>(&runner, 26, archive.get());
        messages = new MessageManager(&runner, archive.get(), nullptr);
        manager->Register(messages, false);
        chars = new CharManager(&runner, archive.get());
        manager->Register(chars, false);
    }
    ~HostileNamesTest() override {
        manager.reset();
        fs::remove(outside / "bait.txt");
    }

    // The game folder is a folder of its own inside the outer temporary folder.
    WorkingFolder outer;
    struct Enter {
        Enter() {
            fs::create_directory("game");
            fs::current_path("game");
        }
        ~Enter() { fs::current_path(".."); }
    } enter;
    fs::path outside;
    FileBlockReader archiveReader;
    std::unique_ptr<FD::File> archive;
    MessageManager* messages = nullptr;
    CharManager* chars = nullptr;
};

// True when the reader got at the bait through name.
using Reader = std::function<bool(const String& name)>;

}  // namespace

TEST_F(HostileNamesTest, NeverFoundNeverCreated) {
    const std::string absolute = (outside / "bait.txt").string();
    const std::vector<std::string> names = {
        absolute,      Backslashed(absolute),    "..\\bait.txt",
        "../bait.txt", "game\\..\\..\\bait.txt", "game/..\\../bait.txt",
        "C:bait.txt",  "c:\\bait.txt",           "C:/bait.txt",
    };
    const std::vector<std::pair<const char*, Reader>> readers = {
        {"archive (loose files)",
         [&](const String& name) {
             try {
                 archive->Close(archive->Open(name));
                 return true;
             } catch (const DExep&) {
                 return false;
             }
         }},
        {"disk file reader",
         [&](const String& name) {
             FileBlockReader reader;
             try {
                 reader.Open(name);
                 return true;
             } catch (const DExep&) {
                 return false;
             }
         }},
        {"message file",
         [&](const String& name) {
             try {
                 return std::string(messages->GetMessage(name, 1)) == "leaked";
             } catch (const DExep&) {
                 return false;
             }
         }},
        {"characteristics file",
         [&](const String& name) {
             try {
                 return chars->Find(name, 1);
             } catch (const DExep&) {
                 return false;
             }
         }},
        {".subs list",
         [&](const String& name) {
             try {
                 manager->LoadSubstitutions(name);
                 return true;
             } catch (const DExep&) {
                 return false;
             }
         }},
        {"class library",
         [&](const String& name) {
             try {
                 return manager->Get(name) != nullptr;
             } catch (const DExep&) {
                 return false;
             }
         }},
    };
    // A loose file inside the game folder is found by each reader: the readers do look on disk.
    for (const auto& [what, reads] : readers) {
        if (std::string(what) != "class library") {
            EXPECT_TRUE(reads("inside.txt")) << what;
        }
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        for (const auto& [what, reads] : readers) {
            SCOPED_TRACE(what);
            EXPECT_FALSE(reads(String(name.c_str())));
        }
        for (const bool packed : {false, true}) {
            SCOPED_TRACE(packed ? "packed writer (settings)" : "writer (saves)");
            std::unique_ptr<FW> fw = packed ? std::make_unique<PackedStream>() : std::make_unique<FW>();
            const std::string created = name.substr(0, name.size() - 8) + "new.bin";
            EXPECT_THROW(fw->Create(String(created.c_str())), FatalExep);
        }
    }
    EXPECT_FALSE(fs::exists(outside / "new.bin"));
    EXPECT_FALSE(fs::exists("c:/new.bin"));
    EXPECT_FALSE(fs::exists("C:new.bin"));
    EXPECT_FALSE(fs::exists("C:/new.bin"));
}
