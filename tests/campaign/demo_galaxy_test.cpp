// The demo's galaxy strands no ship: read as the engine reads it (the star-system table, each system's
// window with its planets, each planet's window), and walked with the fuel the engine's trips cost,
// from the campaign's first place with any fuel the flight before leaves, every place and fuel a
// pilot can come to keeps a way to a place whose window opens a shop, where the cells are recharged.
#include "tools/content/demo_galaxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <string>
#include <vector>

#include "campaign/galaxy.h"
#include "campaign/planet.h"
#include "campaign/star_system_window.h"
#include "campaign/star_systems.h"
#include "script/processor.h"
#include "tests/support/game_harness.h"
#include "tools/content/demo_content.h"
#include "ui/dialog_window.h"
#include "ui/script_dialog.h"
#include "ui/visual.h"
#include "world/option.h"
#include "world/ship.h"

namespace {

struct Place {
    std::string name;  // system/planet
    uint32_t system;
    int32_t x, y;         // the planet in its system's window
    int32_t mapX, mapY;   // its system's star on the galaxy map
    bool recharges;       // its window opens a shop
    bool refusesNothing;  // neither the planet nor its system's window refuses a trip there or away
};

// A shop is opened by the button of a planet's window, or in the first system by its market planet,
// which either planet's window shows.
bool OpensShop(DialogWindow& window) {
    return window.FindControl(kDemoShopButtonId) != nullptr ||
           window.FindControl(kDemoShopPlanetId) != nullptr;
}

std::vector<Place> ReadGalaxy(GameHarness& game) {
    Processor& cpu = game.Cpu();
    cpu.DataStack().Push(game.Text(kDemoStarSystemTable));
    LoadStarSystems(cpu);
    StarSystemList& systems = StarSystemList::Of(cpu);
    std::vector<Place> places;
    for (uint32_t s = 0; s < systems.Count(); ++s) {
        StarSystemRecord& system = *systems.At(s);
        // The next system's window replaces this one with its planets: what is needed is read now.
        StarSystemZoomedObject* view = system.CreateView(cpu);
        const auto agrees = [&game](ScriptObject* asked, std::initializer_list<uint32_t> numbers) {
            for (uint32_t number : numbers)
                if (game.CallVirtual(asked, number).at(0) == 0) return false;
            return true;
        };
        const bool systemAgrees =
            agrees(view, {kEnterSystemVirtual, kLeaveSystemVirtual, kTravelInSystemVirtual});
        DialogWindow& window = view->Window();
        for (uint32_t c = 0; c < window.ControlCount(); ++c) {
            auto* planet = dynamic_cast<PlanetObject*>(window.ControlAt(c));
            if (planet == nullptr) continue;
            places.push_back({std::string(system.Name().View()) + "/" + Planet::CallGetName(planet).Text(), s,
                              planet->Int(kVisualX), planet->Int(kVisualY), system.Int(kVisualX),
                              system.Int(kVisualY), OpensShop(Planet::GetView(*planet).Window()),
                              systemAgrees && agrees(planet, {kPlanetArriveVirtual, kPlanetLeaveVirtual})});
        }
    }
    return places;
}

struct Move {
    size_t to;
    int64_t distance;
    bool betweenSystems;

    bool Allowed(int64_t fuel) const {
        return betweenSystems ? SystemTripAllowed(fuel, distance) : PlanetTripAllowed(fuel, distance);
    }
    int64_t Fuel() const { return betweenSystems ? SystemTripFuel(distance) : PlanetTripFuel(distance); }
    // What the ship has left after it, as the engine takes the trip's fuel.
    int64_t Left(int64_t fuel) const { return std::max<int64_t>(fuel - Fuel(), 0); }
};

// From a place: a hop to every other planet of its system, a trip to every planet of another.
std::vector<std::vector<Move>> Moves(const std::vector<Place>& places) {
    std::vector<std::vector<Move>> moves(places.size());
    for (size_t from = 0; from < places.size(); ++from)
        for (size_t to = 0; to < places.size(); ++to) {
            const Place& a = places[from];
            const Place& b = places[to];
            if (from == to) continue;
            if (a.system == b.system)
                moves[from].push_back({to, PlaceDistance(a.x, a.y, b.x, b.y), false});
            else
                moves[from].push_back({to, PlaceDistance(a.mapX, a.mapY, b.mapX, b.mapY), true});
        }
    return moves;
}

// The walk over (place, fuel), fuel in steps of the greatest common divisor of the full charge and
// every trip's fuel, which every fuel a walk from full or from a step reaches is a multiple of.
struct Walk {
    const std::vector<Place>& places;
    const std::vector<std::vector<Move>>& moves;
    int64_t full;
    int64_t step;

    size_t Levels() const { return static_cast<size_t>(full / step) + 1; }

    // For every place and fuel: whether a place that recharges can be reached from there.
    std::vector<std::vector<bool>> Rescuable() const {
        std::vector<std::vector<bool>> rescuable(places.size(), std::vector<bool>(Levels(), false));
        for (size_t level = 0; level < Levels(); ++level) {
            const int64_t fuel = static_cast<int64_t>(level) * step;
            // A trip of no fuel leads to the same level: go round until nothing changes.
            for (bool changed = true; changed;) {
                changed = false;
                for (size_t p = 0; p < places.size(); ++p) {
                    if (rescuable[p][level]) continue;
                    bool can = places[p].recharges;
                    for (const Move& m : moves[p])
                        can = can || (m.Allowed(fuel) && rescuable[m.to][m.Left(fuel) / step]);
                    if (can) rescuable[p][level] = changed = true;
                }
            }
        }
        return rescuable;
    }

    // Every (place, fuel) a pilot comes to from the start with any fuel, recharging or not where the
    // place allows.
    std::vector<std::vector<bool>> Reachable(size_t start) const {
        std::vector<std::vector<bool>> seen(places.size(), std::vector<bool>(Levels(), false));
        std::vector<std::pair<size_t, size_t>> todo;
        const auto visit = [&](size_t p, size_t level) {
            if (seen[p][level]) return;
            seen[p][level] = true;
            todo.emplace_back(p, level);
        };
        for (size_t level = 0; level < Levels(); ++level) visit(start, level);
        while (!todo.empty()) {
            const auto [p, level] = todo.back();
            todo.pop_back();
            const int64_t fuel = static_cast<int64_t>(level) * step;
            if (places[p].recharges) visit(p, Levels() - 1);
            for (const Move& m : moves[p])
                if (m.Allowed(fuel)) visit(m.to, static_cast<size_t>(m.Left(fuel) / step));
        }
        return seen;
    }
};

TEST(DemoGalaxyTest, EveryPlaceAndFuelAPilotComesToKeepsAWayToARecharge) {
    GameHarness game;
    for (const FdEntry& e : DemoArchiveEntries()) game.AddEntry(e.name, e.data, e.packed);
    game.Start();
    const std::vector<Place> places = ReadGalaxy(game);
    ASSERT_EQ(places.size(), 6u);
    // The walk takes every trip the fuel allows.
    for (const Place& p : places) EXPECT_TRUE(p.refusesNothing) << p.name;
    // The ship's energy slots, each with the shop's cell, filled.
    GameObject ship = game.New(kDemoShipClass);
    GameObject cell = game.New("DemoCell");
    const int64_t full =
        int64_t{ShipObject::Of(ship.get()).SlotCount(kEnergyGroup)} * AkbObject::Of(cell.get()).Capacity();
    ASSERT_GT(full, 0);

    const std::vector<std::vector<Move>> moves = Moves(places);
    int64_t step = full;
    for (const auto& from : moves)
        for (const Move& m : from) step = std::gcd(step, m.Fuel());
    const Walk walk{places, moves, full, step};
    size_t start = 0;
    while (start < places.size() &&
           places[start].name != std::string(kDemoStarSystemName) + "/" + kDemoShopPlanetName)
        ++start;
    ASSERT_LT(start, places.size());

    const auto rescuable = walk.Rescuable();
    const auto reachable = walk.Reachable(start);
    for (size_t p = 0; p < places.size(); ++p) {
        size_t stranded = 0;
        int64_t most = -1;
        for (size_t level = 0; level < walk.Levels(); ++level)
            if (reachable[p][level] && !rescuable[p][level]) {
                ++stranded;
                most = static_cast<int64_t>(level) * step;
            }
        EXPECT_EQ(stranded, 0u) << places[p].name << ": stranded with fuel up to " << most;
    }
}

}  // namespace
