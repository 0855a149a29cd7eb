// A pilot's stored form as the game writes it, for content that ships player files.
#pragma once

#include <string>

class PlayerConfig;

// The block as it is stored on disk, written through a scratch file of the working folder (which
// stays behind; callers remove it).
std::string StoredBytes(const PlayerConfig& config, const std::string& file = "stored.PCFG");
