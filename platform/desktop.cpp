#include "platform/desktop.h"

#include <unistd.h>

#include <cerrno>

#include "platform/file_replace.h"

namespace {

bool HasControl(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// A string value: the format's own escape for the backslash.
std::string StringValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else
            out.push_back(c);
    }
    return out;
}

// One word of Exec, always quoted, with the characters that are special inside quotes escaped and
// '%' doubled so that no word is read as a field code.
std::string ExecWord(const std::string& word) {
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out.push_back('\\');
        if (c == '%') out.push_back('%');
        out.push_back(c);
    }
    return out + "\"";
}

bool SafeFileName(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return false;
    return name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0;
}

}  // namespace

std::string DesktopFileText(const DesktopEntry& entry) {
    if (HasControl(entry.name) || HasControl(entry.comment) || HasControl(entry.workingFolder)) return {};
    std::string exec;
    for (const std::string& word : entry.command) {
        if (HasControl(word)) return {};
        if (!exec.empty()) exec.push_back(' ');
        exec += ExecWord(word);
    }
    if (exec.empty()) return {};
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + StringValue(entry.name) + "\n";
    if (!entry.comment.empty()) text += "Comment=" + StringValue(entry.comment) + "\n";
    text += "Exec=" + StringValue(exec) + "\n";
    if (!entry.workingFolder.empty()) text += "Path=" + StringValue(entry.workingFolder) + "\n";
    text += entry.terminal ? "Terminal=true\n" : "Terminal=false\n";
    text += "Categories=Game;\n";
    return text;
}

XdgDesktop::XdgDesktop(std::string applicationsFolder) : folder_(std::move(applicationsFolder)) {}

bool XdgDesktop::Add(const DesktopEntry& entry) {
    if (!SafeFileName(entry.fileName)) return false;
    const std::string text = DesktopFileText(entry);
    if (text.empty()) return false;
    return ReplaceFile(folder_ + "/" + entry.fileName, text, 0644);
}

bool XdgDesktop::Remove(const std::string& fileName) {
    if (!SafeFileName(fileName)) return true;  // no such entry can have been made
    // The entry alone: the folder is every program's, and stays.
    return unlink((folder_ + "/" + fileName).c_str()) == 0 || errno == ENOENT;
}
