// Script classes and file builders for tests of save games: a scenario whose Start answers a
// chosen value, an item whose save method fails, and save files built byte by byte from the
// stored layouts.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>
class GameHarness;

// "TestScenario": Start answers 0, its name is kTestScenarioName, its description kTestScenarioText.
constexpr const char* kTestScenarioClass = "TestScenario";
constexpr const char* kTestScenarioName = "Test run";
constexpr const char* kTestScenarioText = "A test";
// "TestAgain": a scenario whose Start answers 1 (load again).
constexpr const char* kAgainScenarioClass = "TestAgain";
// "TestBomb": a QuestItem whose save method fails with an engine error.
constexpr const char* kBombClass = "TestBomb";

// Adds the classes above and those of the pilot fixture (before Start).
void AddSaveClasses(GameHarness& game);

// An "SE" "SAVE" block: header size 18, time then date, the texts each with its NUL.
std::string SaveHeaderBytes(int32_t time, int32_t date, const std::vector<std::string>& texts);
// Eight texts: the stem, the scenario class, and the rest as given (empty by default).
std::vector<std::string> SaveTextsFor(const std::string& stem,
                                      const std::string& scenario = kTestScenarioClass);
// An "SE" "SVPS" block of the list position.
std::string SavePosBytes(uint32_t selected, uint32_t firstVisible);

// Writes bytes to a file of the working folder ('\' in the name becomes '/'; folders are made).
void WriteGameFile(const std::string& name, const std::string& bytes);
// The bytes of a file of the working folder, empty when it is missing.
std::string ReadGameFile(const std::string& name);
