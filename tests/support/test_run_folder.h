// What the test runs of start modes 'f' and 'e' read besides the start-up entries: the script
// classes "Experiment" (an actor showing a ring in the middle of the field) and a small ship with an
// energy cell and an engine, their pictures, the splinter mask "Misc\Broker.dpf", and beside the
// archive the ship "Ship1.SCFG" and the key mapping "Player1.INPD" (the arrow keys and space).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

// The ship class "Ship1.SCFG" names.
constexpr const char* kTestRunShipClass = "TestRunShip";

std::vector<FdEntry> TestRunEntries();
// The two files' names and bytes.
std::vector<std::pair<std::string, std::string>> TestRunFiles();
// Writes the two files into the folder; false when one cannot be written.
bool WriteTestRunFiles(const std::filesystem::path& folder);
