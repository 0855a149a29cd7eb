#include "platform/headless/headless_app.h"

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

int HeadlessApp::MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(MessageBoxCall{title, text, style});
    if (answers_.empty()) return FirstMessageBoxButton(style);
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}
