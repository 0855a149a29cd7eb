#include "setup/terminal_ui.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <istream>
#include <ostream>

#include "setup/interrupt_watch.h"

namespace {

constexpr size_t kPageLines = 22;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsYes(const std::string& answer) {
    return answer == "y" || answer == "Y" || answer == "yes";
}
bool IsNo(const std::string& answer) {
    return answer == "n" || answer == "N" || answer == "no";
}

}  // namespace

std::string ProgressLine(int32_t percent) {
    const int32_t shown = std::clamp(percent, 0, 100);
    const int32_t cells = shown / 10;
    return "[" + std::string(static_cast<size_t>(cells), '#') +
           std::string(static_cast<size_t>(10 - cells), ' ') + "] " + std::to_string(shown) + "%";
}

TerminalUi::TerminalUi(const SetupOptions& options, std::istream& input, std::ostream& output,
                       std::ostream& errors, int inputFd, int interruptFd)
    : options_(options),
      input_(input),
      output_(output),
      errors_(errors),
      inputFd_(inputFd),
      interruptFd_(interruptFd) {}

std::optional<std::string> TerminalUi::ReadLine() {
    std::string line;
    if (!std::getline(input_, line)) return std::nullopt;
    return Trimmed(line);
}

bool TerminalUi::Interrupted() {
    return interruptFd_ >= 0 && TakeInterrupt(interruptFd_);
}

std::optional<std::string> TerminalUi::ReadAnswer() {
    // An interrupt that came before the read began would not end it: it is looked for first.
    std::optional<std::string> line;
    if (!Interrupted()) line = ReadLine();
    if (line) return line;
    Interrupted();  // takes the interrupt that ended the read, if one did
    // The prompt's line is ended, so that what is said next stands on a line of its own.
    output_ << "\n";
    return std::nullopt;
}

std::optional<size_t> TerminalUi::ChooseLanguage(const std::string& title, const std::string& prompt,
                                                 const std::vector<ShownLanguage>& languages,
                                                 size_t offered) {
    const auto numbered = [&](int32_t number) -> std::optional<size_t> {
        for (size_t i = 0; i < languages.size(); ++i) {
            if (languages[i].number == number) return i;
        }
        return std::nullopt;
    };
    if (offered >= languages.size()) return std::nullopt;
    if (options_.language) {
        if (auto index = numbered(*options_.language)) return index;
        errors_ << "No language numbered " << *options_.language << " in Language.lng\n";
        return std::nullopt;
    }
    if (options_.yes) return offered;
    output_ << title << "\n";
    for (const ShownLanguage& language : languages) {
        // Names usually keep the blank that followed their number in the list.
        const char* gap = language.name.rfind(' ', 0) == 0 ? "" : " ";
        output_ << "  " << language.number << ")" << gap << language.name << "\n";
    }
    const std::string offeredNumber = std::to_string(languages[offered].number);
    for (;;) {
        output_ << prompt << " [" << offeredNumber << "]: " << std::flush;
        auto line = ReadAnswer();
        if (!line || *line == "q") return std::nullopt;
        if (line->empty()) return offered;
        if (auto number = WholeNumber(*line)) {
            if (auto index = numbered(*number)) return index;
        }
        output_ << "Type one of the numbers listed, Enter for " << offeredNumber << ", or q to stop.\n";
    }
}

void TerminalUi::ShowPaged(const std::string& text) {
    const bool interactive = inputFd_ >= 0 && isatty(inputFd_);
    size_t lines = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        output_ << text.substr(start, end - start) << "\n";
        start = end + 1;
        if (interactive && ++lines % kPageLines == 0 && start < text.size()) {
            output_ << "-- Enter: more, q: to the end --" << std::flush;
            auto line = ReadAnswer();
            if (!line) return;
            if (*line == "q") {
                output_ << "\n";
                return;
            }
        }
    }
}

bool TerminalUi::ShowLicense(const std::string& caption, const std::string& text, const std::string& agree,
                             const std::string& disagree) {
    if (options_.acceptLicense || options_.yes) return true;
    output_ << caption << "\n\n";
    ShowPaged(text);
    for (;;) {
        output_ << "\n" << agree << " (y) / " << disagree << " (n): " << std::flush;
        auto line = ReadAnswer();
        if (!line || IsNo(*line)) return false;
        if (IsYes(*line)) return true;
        output_ << "Type y to agree or n to disagree.\n";
    }
}

std::optional<std::string> TerminalUi::AskFolder(const std::string& title, const std::string& prompt,
                                                 const std::string& defaultFolder) {
    if (options_.folder) return options_.folder;
    if (options_.yes) return defaultFolder;
    output_ << title << "\n" << prompt << " [" << defaultFolder << "]: " << std::flush;
    auto line = ReadAnswer();
    if (!line) return std::nullopt;
    return line->empty() ? defaultFolder : *line;
}

Answer TerminalUi::Ask(const std::string& caption, const std::string& question,
                       const AnswerMeaning& meaning) {
    if (options_.yes) return Answer::Yes;
    const std::string choices = " [y = " + meaning.yes + ", n or c = " + meaning.no + "]: ";
    output_ << caption << ": " << question << choices << std::flush;
    for (;;) {
        auto line = ReadAnswer();
        if (!line) return Answer::Unanswered;
        if (IsYes(*line)) return Answer::Yes;
        if (IsNo(*line)) return Answer::No;
        if (*line == "c") return Answer::Cancel;
        output_ << "Please type y, n or c" << choices << std::flush;
    }
}

bool TerminalUi::Unattended() const {
    return options_.yes;
}

void TerminalUi::Tell(const std::string& caption, const std::string& text) {
    output_ << caption << ": " << text << "\n";
}

void TerminalUi::ShowError(const std::string& caption, const std::string& text) {
    if (progressShown_) EndProgress();
    errors_ << caption << ": " << text << "\n";
}

void TerminalUi::ShowProgress(int32_t percent, const std::string& entry) {
    if (!entry.empty()) {
        // Each entry keeps a line of its own; the bar is drawn again below it.
        if (progressShown_) output_ << "\r" << std::string(progressWidth_, ' ') << "\r";
        output_ << "Extracting " << entry << "\n";
        progressWidth_ = 0;
    }
    const bool canCancel = inputFd_ >= 0 && !options_.yes;
    std::string line = ProgressLine(percent);
    if (canCancel) line += "  (Enter: cancel)";
    const size_t width = line.size();
    if (width < progressWidth_) line.append(progressWidth_ - width, ' ');
    output_ << "\r" << line << std::flush;
    progressWidth_ = width;
    progressShown_ = true;
}

void TerminalUi::EndProgress() {
    if (progressShown_) output_ << "\n";
    progressShown_ = false;
    progressWidth_ = 0;
}

CancelRequest TerminalUi::WaitForCancel(std::chrono::milliseconds wait) {
    const bool byInput = inputFd_ >= 0 && !options_.yes;
    pollfd watched[2];
    nfds_t count = 0;
    if (interruptFd_ >= 0) watched[count++] = {interruptFd_, POLLIN, 0};
    if (byInput) watched[count++] = {inputFd_, POLLIN, 0};
    // A signal that arrives during the wait ends it early; its byte is already in the pipe.
    const int ready = poll(count != 0 ? watched : nullptr, count, static_cast<int>(wait.count()));
    if (interruptFd_ >= 0 && TakeInterrupt(interruptFd_)) {
        if (progressShown_) EndProgress();
        return CancelRequest::Now;
    }
    if (ready <= 0 || !byInput || watched[count - 1].revents == 0) return CancelRequest::None;
    auto line = ReadLine();
    if (!line) {
        // The input has ended: nobody can cancel with Enter any more.
        inputFd_ = -1;
        return CancelRequest::None;
    }
    if (progressShown_) EndProgress();
    return CancelRequest::Ask;
}
