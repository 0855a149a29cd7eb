// The setup tools run as a user runs them on a terminal, in a temporary home: Ctrl-C (SIGINT) at
// each one's question ends it with status 1 and a last line of its own that says nothing changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_exit.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

// Far above what a run needs.
constexpr auto kRunLimit = std::chrono::seconds(60);

// A tool started in a folder with HOME and the XDG folders below home; its input is a pipe kept
// open (so only a signal ends a question), its output and errors one pipe.
class Tool {
  public:
    Tool(const std::string& program, const std::vector<std::string>& words, const fs::path& folder,
         const fs::path& home) {
        std::vector<std::string> env = {
            "HOME=" + home.string(), "XDG_DATA_HOME=" + (home / ".local/share").string(),
            "XDG_CONFIG_HOME=" + (home / ".config").string(), "PATH=/usr/bin:/bin"};
        std::vector<std::string> args = {program};
        args.insert(args.end(), words.begin(), words.end());
        std::vector<char*> envp, argv;
        for (std::string& e : env) envp.push_back(e.data());
        for (std::string& a : args) argv.push_back(a.data());
        envp.push_back(nullptr);
        argv.push_back(nullptr);
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        const std::string where = folder.string();
        pid_ = fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (chdir(where.c_str()) != 0 || dup2(in[0], STDIN_FILENO) < 0 ||
                dup2(out[1], STDOUT_FILENO) < 0 || dup2(out[1], STDERR_FILENO) < 0)
                _exit(126);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Tool() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (input_ >= 0) close(input_);
        if (output_ >= 0) close(output_);
    }
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    // Reads the output until it ends with text; false after kRunLimit or at its end.
    bool WaitForOutputEnding(const std::string& text) {
        const auto deadline = steady_clock::now() + kRunLimit;
        while (!EndsWith(text) && steady_clock::now() < deadline) {
            if (!ReadSome()) return false;
        }
        return EndsWith(text);
    }
    // Sends SIGINT every few milliseconds until the tool ends, as a user presses Ctrl-C again when
    // nothing happens: one that comes just before the tool waits for input is seen only at the next,
    // and those that come while it ends must not end it by the signal. The exit status as Wait
    // gives it.
    int Interrupt() {
        const auto deadline = steady_clock::now() + kRunLimit;
        while (status_ < 0 && steady_clock::now() < deadline) {
            kill(pid_, SIGINT);
            status_ = WaitForChild(pid_, std::chrono::milliseconds(5));
        }
        return Wait();
    }
    // The exit status (128 + the signal's number when a signal ended it) once the output has ended;
    // -1 when it runs past kRunLimit.
    int Wait() {
        const auto deadline = steady_clock::now() + kRunLimit;
        while (steady_clock::now() < deadline && ReadSome()) {
        }
        if (status_ < 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
            status_ = WaitForChild(pid_, std::max(left, std::chrono::milliseconds(0)));
        }
        return status_;
    }
    const std::string& Output() const { return seen_; }

  private:
    bool EndsWith(const std::string& text) const {
        return seen_.size() >= text.size() &&
               seen_.compare(seen_.size() - text.size(), text.size(), text) == 0;
    }
    // False at the end of the output.
    bool ReadSome() {
        pollfd p{output_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) return true;
        char buffer[4096];
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n <= 0) return false;
        seen_.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int status_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string seen_;
};

}  // namespace

TEST(SetupPrograms, CtrlCAtEachQuestionEndsWithStatusOneOnALineOfItsOwn) {
    TempDir temp;
    const fs::path source = temp.Absolute() / "source";
    const fs::path home = temp.Absolute() / "home";
    WriteSetupFolder(source);
    fs::create_directories(home);
    {
        Tool install(SETUP_PROGRAM, {"--yes"}, source, home);
        ASSERT_EQ(install.Wait(), 0) << install.Output();
    }
    const std::string installed = (home / ".local/share/Vondrel").string() + "/";
    struct Case {
        const char* what;
        const char* program;
        std::vector<std::string> words;
        fs::path folder;
        const char* prompt;  // what the output ends with while the question waits
        std::string last;    // the last line after Ctrl-C
    } cases[] = {
        {"setup, language",
         SETUP_PROGRAM,
         {},
         source,
         "Select your language [2]: ",
         "Setup: Vondrel has not been installed."},
        {"setup, licence", SETUP_PROGRAM, {"--lang", "1"}, source, "(n): ", "setup 4 en: setup 2 en"},
        {"Tonvik",
         TONVIK_PROGRAM,
         {},
         source,
         "Select your language [2]: ",
         "Set language: The language was not changed."},
        {"uninstall",
         UNINSTALL_PROGRAM,
         {},
         temp.Absolute(),
         "n or c = keep it]: ",
         "Uninstall: Nothing was removed; Vondrel stays installed in " + installed + "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tool tool(c.program, c.words, c.folder, home);
        ASSERT_TRUE(tool.WaitForOutputEnding(c.prompt)) << tool.Output();
        EXPECT_EQ(tool.Interrupt(), 1) << tool.Output();
        EXPECT_TRUE(tool.Output().ends_with(std::string(c.prompt) + "\n" + c.last + "\n")) << tool.Output();
    }
    EXPECT_FALSE(fs::exists(source / "Language.LCFG"));
    EXPECT_TRUE(fs::exists(home / ".config/Dorn/Vondrel/install.ini"));
    EXPECT_TRUE(fs::exists(installed + "main.fd"));
}
