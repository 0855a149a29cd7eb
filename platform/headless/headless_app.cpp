#include "platform/headless/headless_app.h"

#include <cstdio>

HeadlessApp::~HeadlessApp() {
    StopGameThread();
}

void HeadlessApp::ScriptAnswers(std::vector<int> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
}

std::vector<MessageBoxCall> HeadlessApp::MessageBoxCalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<ErrorDialogCall> HeadlessApp::ErrorDialogCalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errorDialogs_;
}

void HeadlessApp::ErrorDialogOnMain(const std::string& caption, const std::string& message,
                                    const std::string& callStack) {
    std::lock_guard<std::mutex> lock(mutex_);
    errorDialogs_.push_back(ErrorDialogCall{caption, message, callStack});
    // Without a window this is where a reader sees it.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), ErrorDialogText(message, callStack).c_str());
}

int HeadlessApp::MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(MessageBoxCall{title, text, style});
    // Without a window this is where a reader sees it.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    if (answers_.empty()) return FirstMessageBoxButton(style);
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}
