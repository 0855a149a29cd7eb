// The game program run headless in a temporary game folder, as scripts and CI run it: its exit
// status and its log after a normal end, after engine errors, and when SIGTERM or SIGINT ends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_exit.h"
#include "tests/support/main_screen_content.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_run_folder.h"
#include "tools/content/block_writer.h"
#include "tools/content/game_content.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/startup_archive.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

// How long a run may take before the test gives up on it (kept far above what a run needs).
constexpr auto kRunLimit = std::chrono::seconds(60);

// A game folder holding the archive the smoke runs use (start-up and main screen), optionally the
// test levels' files, and loose files that stand in for archive entries.
struct GameFolder {
    StartupArchiveOptions options{};
    bool testRun = false;
    std::vector<std::pair<std::string, std::string>> loose{};

    void WriteInto(const TempDir& dir) const {
        StartupArchiveOptions archive = options;
        std::vector<FdEntry> extra = MainScreenArchiveEntries();
        if (testRun) {
            const std::vector<FdEntry> more = TestRunEntries();
            extra.insert(extra.end(), more.begin(), more.end());
        }
        std::erase_if(extra, [&](const FdEntry& e) {
            return std::find(options.omit.begin(), options.omit.end(), e.name) != options.omit.end();
        });
        archive.extra.insert(archive.extra.begin(), extra.begin(), extra.end());
        const std::vector<std::string> replaced = MainScreenArchiveReplaced();
        archive.omit.insert(archive.omit.end(), replaced.begin(), replaced.end());
        dir.Write("main.FD", StartupArchive(archive));
        if (testRun) {
            ASSERT_TRUE(WriteTestRunFiles(dir.Absolute()));
        }
        for (const auto& [name, bytes] : loose) dir.Write(name, bytes);
    }
};

// The program started in the folder with VONDREL_HEADLESS=1; its output goes to "output" there.
class Program {
  public:
    Program(const fs::path& folder, const std::string& argument) {
        // The first of two settings of a name is the one the program gets.
        std::string headless = "VONDREL_HEADLESS=1";
        std::vector<char*> envp{headless.data()};
        for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
        envp.push_back(nullptr);
        std::string program = VONDREL_PROGRAM;
        std::string arg = argument;
        std::vector<char*> argv{program.data()};
        if (!arg.empty()) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string where = folder.string();
        const int output = open((folder / "output").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_ = fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (chdir(where.c_str()) != 0 || dup2(output, STDOUT_FILENO) < 0 ||
                dup2(output, STDERR_FILENO) < 0)
                _exit(126);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        if (output >= 0) close(output);
    }
    ~Program() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t Pid() const { return pid_; }

    // The exit status (128 + the signal's number when a signal ended it), or -1 when it is still
    // running after kRunLimit (it is then killed).
    int Wait() {
        if (status_ < 0) status_ = WaitForChild(pid_, kRunLimit);
        return status_;
    }

  private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// Waits until a file of the folder that was opened for reading is closed again: the program has
// read it. False after kRunLimit.
class ReadWatch {
  public:
    explicit ReadWatch(const fs::path& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_NOWRITE);
    }
    ~ReadWatch() {
        if (fd_ >= 0) close(fd_);
    }
    ReadWatch(const ReadWatch&) = delete;
    ReadWatch& operator=(const ReadWatch&) = delete;

    bool WaitForRead(const std::string& name) {
        const auto deadline = steady_clock::now() + kRunLimit;
        alignas(inotify_event) char buffer[4096];
        while (fd_ >= 0 && steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name == event->name) return true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return false;
    }

  private:
    int fd_;
};

// An "SC" block whose prefix length is the largest there is: more than the look-ahead holds.
std::string OverlongPrefixBlock(const std::string& tag) {
    BlockWriter block;
    block.tag = tag;
    block.prefix = 0xFFFF;
    return block.SC();
}

// The default pilot flies a ship whose class calls itself for ever while the ship is made: the stack
// overflows, and while that error unwinds, destroying the half-made pilot runs its destructor
// methods on the stacks the overflow left full.
GameFolder OverflowingShipFolder() {
    const uint32_t callSelf = ScriptAssembler::CallWord(2, 0, false);
    // Ship pops picture, damage, protection, the slot counts, values A, B and C, mass, consumption.
    const ScriptSubclass ship{.name = "OverflowShip",
                              .base = "Ship",
                              .methods = {{2, {callSelf}}},
                              .createValues = {0, 100, 0, 0, 1, 1, 1, 1, 1, 0, 2, 0, 0, 0},
                              .afterCreate = {callSelf}};
    const std::string fields = LeU32(0) + LeU32(0) + LeU32(1) + LeU32(0);
    const std::string pilot = SCBlock("PCFG", std::string("A\0", 2), fields,
                                      {SEBlock("SCFG", std::string("OverflowShip\0", 13), LeU32(0))});
    return {.options = {.extra = {{"OverflowShip.glc", ship.Library().Build()}}},
            .loose = {{"DefPlCfg.PCFG", pilot}}};
}

}  // namespace

// 0 after a normal end, 1 after an engine error in start-up or on the game thread; the error is
// logged and names its file.
TEST(VondrelProgram, ExitStatusTellsWhetherTheRunFailed) {
    struct Case {
        const char* name;
        GameFolder folder;
        const char* argument;
        int status;
        const char* logged;  // in the log's last line; "" for an empty log
    };
    const Case cases[] = {
        {"a test level runs to its end", {.testRun = true}, "f", 0, ""},
        {"a main screen font is missing",
         {.options = {.omit = {"Fonts\\BigMenu.dff"}}},
         "",
         1,
         "\"Fonts\\BigMenu.dff\""},
        {"the default players are damaged",
         {.loose = {{"DefPlCfg.PCFG", OverlongPrefixBlock("PCFG")}}},
         "p",
         1,
         "FR::Buffer is too small at position 0 in \"DefPlCfg.PCFG\""},
        {"the key mapping is damaged",
         {.loose = {{"Keys.INPD", OverlongPrefixBlock("INPD")}}},
         "",
         1,
         "FR::Buffer is too small at position 0 in \"Keys.INPD\""},
        {"a second error while the first unwinds", OverflowingShipFolder(), "p", 1, "DStack overflow"},
        {"the screen settings ask for 24 bits",
         {.options = {.bitsPerPixel = 24}},
         "",
         1,
         "Screen mode not supported by ImageManager yet. (640 x 480 at 24 bits per pixel in "
         "\"Screen.SCRS\")"},
        {"the screen settings ask for no width",
         {.options = {.width = 0}},
         "",
         1,
         "Unable to set video mode (0 x 480 at 16 bits per pixel in \"Screen.SCRS\")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.folder.WriteInto(dir);
        Program program(dir.Absolute(), c.argument);
        EXPECT_EQ(program.Wait(), c.status) << dir.Read("output");
        const std::string log = dir.Read("vondrel.log");
        if (c.logged[0] == '\0') {
            EXPECT_EQ(log, "");
        } else {
            EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        }
    }
}

// Without a window SIGTERM and SIGINT end the program as closing the window does: the game thread
// stops, the program shuts down, logs nothing and exits with 0.
TEST(VondrelProgram, SignalsEndTheHeadlessProgramInOrder) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        TempDir dir;
        // The notice is the last thing the main screen reads before it runs: as a loose file its
        // reading can be seen from outside.
        GameFolder folder{.loose = {{"Copyright.mes", MessageFileText({{1, "(c) Dorn"}})}}};
        folder.WriteInto(dir);
        ReadWatch watch(dir.Absolute());
        Program program(dir.Absolute(), "");
        ASSERT_TRUE(watch.WaitForRead("Copyright.mes")) << dir.Read("output");
        kill(program.Pid(), signal);
        EXPECT_EQ(program.Wait(), 0) << dir.Read("output");
        EXPECT_EQ(dir.Read("vondrel.log"), "");
        EXPECT_EQ(dir.Read("output"), "");
    }
}
