#include "tests/support/galaxy_table.h"

#include <memory>

#include "campaign/star_system_window.h"
#include "foundation/word.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "tests/support/game_harness.h"
#include "tools/content/block_writer.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/window_services.h"

std::string StarSystemBlock(const StarSystemFacts& facts) {
    std::vector<std::string> children;
    if (facts.name) children.push_back(SEBlock("NAME", *facts.name + std::string(1, '\0')));
    return SCBlock("SSYF", facts.description + std::string(1, '\0'),
                   LeU32(Word(facts.x)) + LeU32(Word(facts.y)), children);
}

std::string StarSystemTable(const std::vector<std::string>& children) {
    return SCBlock("GLXY", "", children);
}

std::string StarSystemTable(const std::vector<StarSystemFacts>& systems) {
    std::vector<std::string> children;
    for (const StarSystemFacts& facts : systems) children.push_back(StarSystemBlock(facts));
    return StarSystemTable(children);
}

std::string StarSystemDescription(const std::string& windowClass, const std::string& messageFile) {
    return windowClass + "\r\nStandard\r\n" + messageFile + "\r\n";
}

namespace {

const PlanetsByWindow* gPlanets = nullptr;

void CreateWindowWithPlanets(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    auto& processor = dynamic_cast<Processor&>(runner);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("StarSystemZoomed");
    auto window = std::make_unique<StarSystemZoomedObject>(cls);
    const auto found = gPlanets->find(std::string(cls->ClassName().View()));
    if (found != gPlanets->end()) {
        for (const TestPlanet& planet : found->second) {
            ControlObject& control = NewControlByName(processor, ("Planet" + planet.name).c_str(),
                                                      {0, Word(planet.x), Word(planet.y), Word(planet.id)});
            window->Window().AddControl(&control, kListOwned);
        }
    }
    PushNewObject(runner, std::move(window));
}

}  // namespace

void MakeWindowsHoldPlanets(GameHarness& game, const PlanetsByWindow& planets) {
    gPlanets = &planets;
    game.Class("StarSystemZoomed")->SetMethod(CreateWindowWithPlanets, kCreateObjectMethod);
}
