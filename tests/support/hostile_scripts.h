// Code words for script classes that do what a hostile script may inside a call native code makes:
// delete an object it can name (its own, or one a test put into one of its fields) or fail. Used as
// ScriptSubclass method bodies; a class using the field words needs instance fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pushes the current object's field.
std::vector<uint32_t> FieldWords(uint32_t field);
// Deletes the object the current object's field names.
std::vector<uint32_t> DeleteFieldWords(uint32_t field);
// Deletes the current object.
std::vector<uint32_t> DeleteSelfWords();
// Fails: reads script address 0.
std::vector<uint32_t> FailWords();
// The engine error FailWords raises.
std::string FailMessage();
// "Not a valid object at 0x<address> where <what> expected".
std::string NotValid(uint32_t address, const char* what);
