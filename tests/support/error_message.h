// The message of the engine error that f throws, or "no error".
#pragma once

#include <functional>
#include <string>

std::string ErrorMessage(const std::function<void()>& f);
