// The engine writer's errors ("FW::Unable to create file", "Error on writing into file") name no
// file; the setup tools say which one they were writing.
#pragma once

#include <functional>
#include <string>

// Runs write, which writes the file at path; an engine error from it is thrown again as a
// FatalExep: its message, then the path in quotes.
void NamingFile(const std::string& path, const std::function<void()>& write);
