// The fixed object IDs under which start-up and the test runs keep the engine's well-known objects
// in the processor's ObjectManager; the rest of the game fetches them by these numbers.
#pragma once

#include <cstdint>

constexpr uint32_t kClassManagerId = 1;
constexpr uint32_t kStringProcsId = 2;
constexpr uint32_t kMathProcsId = 3;
constexpr uint32_t kImageManagerId = 4;
constexpr uint32_t kFlightActorListId = 5;
constexpr uint32_t kLevelId = 6;
constexpr uint32_t kFlightList7Id = 7;
constexpr uint32_t kShipListId = 8;
constexpr uint32_t kScreenId = 9;
constexpr uint32_t kShotsManagerId = 10;
constexpr uint32_t kFlightList11Id = 11;
constexpr uint32_t kTestRunListId = 12;
constexpr uint32_t kFontManagerId = 13;
constexpr uint32_t kMessageManagerId = 14;
constexpr uint32_t kSoundManagerId = 15;
constexpr uint32_t kSoundSystemId = 16;
constexpr uint32_t kStarSystemWindowId = 17;
constexpr uint32_t kStarSystemListId = 18;
constexpr uint32_t kGalaxyCursorListId = 19;  // entry 0: the galaxy cursor picture
constexpr uint32_t kStarSystemViewId = 20;    // the star-system window last opened
constexpr uint32_t kColorManagerId = 21;
constexpr uint32_t kGameManagerId = 22;
constexpr uint32_t kPlayerListId = 23;
constexpr uint32_t kPriceManagerId = 24;
constexpr uint32_t kEventManagerId = 25;
constexpr uint32_t kCurrentLocationId = 26;
constexpr uint32_t kScenarioId = 27;
constexpr uint32_t kHotKeyTableId = 28;
constexpr uint32_t kCharManagerId = 29;
constexpr uint32_t kBonusListId = 30;
constexpr uint32_t kFlightList31Id = 31;
constexpr uint32_t kSupplyId = 32;
constexpr uint32_t kObjectList33Id = 33;
constexpr uint32_t kHelpSystemId = 34;
constexpr uint32_t kFlightList35Id = 35;
constexpr uint32_t kHighScoreManagerId = 36;
