// Code words of script methods that do what hostile scripts may do inside any call native code makes
// into them: delete an object they can name, or fail with an engine error.
#pragma once

#include <cstdint>
#include <vector>

// Deletes the object the method runs on.
std::vector<uint32_t> DeleteThisWords();
// Deletes the object whose script value the running object keeps in its instance field.
std::vector<uint32_t> DeleteFieldWords(uint32_t field);
// Fails: reads script address 0.
std::vector<uint32_t> FailWords();
// The engine error FailWords gives.
extern const char* const kFailMessage;
