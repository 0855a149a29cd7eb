// The setup tools' terminal front-end: numbered choices, prompts with defaults, the licence shown
// a page at a time, and "Extracting <entry>" for each archive entry above a progress line redrawn
// in place. Unattended answers come from the
// command line.
#pragma once

#include <iosfwd>

#include "setup/command_line.h"
#include "setup/setup_ui.h"

class TerminalUi final : public SetupUi {
  public:
    // input is the terminal when inputFd is a terminal; -1 means no cancelling with Enter while a
    // worker runs. interruptFd is an InterruptWatch's (-1: none): an interrupt cancels a running
    // install at once and leaves a question unanswered.
    TerminalUi(const SetupOptions& options, std::istream& input, std::ostream& output, std::ostream& errors,
               int inputFd, int interruptFd = -1);

    // Lists each language under its number; the number typed (or given by --lang) chooses.
    std::optional<size_t> ChooseLanguage(const std::string& title, const std::string& prompt,
                                         const std::vector<ShownLanguage>& languages,
                                         size_t offered) override;
    bool ShowLicense(const std::string& caption, const std::string& text, const std::string& agree,
                     const std::string& disagree) override;
    std::optional<std::string> AskFolder(const std::string& title, const std::string& prompt,
                                         const std::string& defaultFolder) override;
    // Shows what y and n (or c) mean after the question; the input ending is no answer.
    Answer Ask(const std::string& caption, const std::string& question,
               const AnswerMeaning& meaning) override;
    // Under --yes.
    bool Unattended() const override;
    void Tell(const std::string& caption, const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;
    void ShowProgress(int32_t percent, const std::string& entry) override;
    void EndProgress() override;
    CancelRequest WaitForCancel(std::chrono::milliseconds wait) override;

  private:
    // One line of input; nothing at the end of the input.
    std::optional<std::string> ReadLine();
    // The answer to a prompt just shown; nothing at the end of the input or after an interrupt, once
    // the prompt's line is ended.
    std::optional<std::string> ReadAnswer();
    // True when an interrupt has come since the last look.
    bool Interrupted();
    void ShowPaged(const std::string& text);

    SetupOptions options_;
    std::istream& input_;
    std::ostream& output_;
    std::ostream& errors_;
    int inputFd_;
    int interruptFd_;
    bool progressShown_ = false;
    size_t progressWidth_ = 0;  // of the line shown, so that a shorter one covers it
};

// "[#####     ] 50%": ten cells, one per ten percent.
std::string ProgressLine(int32_t percent);
