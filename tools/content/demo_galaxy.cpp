#include "tools/content/demo_galaxy.h"

#include <functional>
#include <utility>

#include "campaign/planet.h"
#include "shell/game_ids.h"
#include "tools/content/block_writer.h"
#include "tools/content/demo_content.h"
#include "tools/content/demo_pictures.h"
#include "tools/content/demo_script.h"
#include "tools/content/demo_texts.h"
#include "tools/content/game_content.h"
#include "ui/dialog_window.h"
#include "ui/script_dialog.h"
#include "ui/visual.h"

namespace {

using Receiver = ScriptAssembler::Receiver;
using Words = std::vector<uint32_t>;

constexpr const char* kPlanetTexts = "Galaxy\\Planets.mes";
constexpr const char* kTalkTexts = "Talk\\Dunmar.mes";
constexpr const char* kTalkQuestions = "Talk\\Dunmar.chr";
constexpr const char* kPlanetViewClass = "DemoPlanetView";
constexpr int32_t kFirstQuestion = 1000;
// Messages of the planet file: planet k's full name is 10 k + 1, its description 10 k + 2.
constexpr uint32_t kTalkCaption = 90;
constexpr uint32_t kShopCaption = 92;
// The shops' own name, their window's caption.
constexpr uint32_t kShopName = 93;
constexpr const char* kShopClass = "DemoShop";
constexpr uint32_t kForemanTitle = 91;
// Window results of a planet window: the galaxy step ends on 2.
constexpr int32_t kEndGalaxyStep = 2;

struct PlanetFacts {
    DemoPlanetPlace place;
    PlanetLook look;
    DemoText fullName;
    DemoText description;
};

struct SystemFacts {
    const char* name;
    DemoText shownName;  // number 0: message 1 of the system's own file
    const char* windowClass;
    int32_t mapX, mapY;
    std::vector<PlanetFacts> planets;
};

const std::vector<SystemFacts>& Systems() {
    static const std::vector<SystemFacts> systems = {
        {kDemoStarSystemName,
         {0, kDemoStarSystemShownName, "Das Vesta-System"},
         kDemoStarSystemClass,
         200,
         280,
         {{{kDemoShopPlanetClass, kDemoShopPlanetName, kDemoShopPlanetX, kDemoPlanetY, kDemoShopPlanetId},
           PlanetLook::Market,
           {0, "Kessa, trading post of Vesta", "Kessa, Handelsposten von Vesta"},
           {0,
            "Kessa: a trading post under a green sky. Its shop sells guns, energy cells and engines, and "
            "fills "
            "the cells of every ship that lands.",
            "Kessa: ein Handelsposten unter grünem Himmel. Sein Laden verkauft Waffen, Energiezellen und "
            "Antriebe und füllt die Zellen jedes Schiffs, das landet."}},
          {{kDemoDescribedPlanetClass, kDemoDescribedPlanetName, kDemoDescribedPlanetX, kDemoPlanetY,
            kDemoDescribedPlanetId},
           PlanetLook::Moon,
           {0, "Orin, ice moon of Vesta", "Orin, Eismond von Vesta"},
           {0,
            "Orin: a cold moon of ice and rock. Nobody lives there; the traders of Kessa keep their ice in "
            "its "
            "craters.",
            "Orin: ein kalter Mond aus Eis und Fels. Niemand lebt dort; die Händler von Kessa lagern ihr Eis "
            "in "
            "seinen Kratern."}}}},
        {"Tarvos",
         {0, "The Tarvos system", "Das Tarvos-System"},
         "TarvosSystem",
         320,
         200,
         {{{"DemoDunmar", "Dunmar", 220, 280, 41},
           PlanetLook::Mining,
           {0, "Dunmar, mining world of Tarvos", "Dunmar, Bergbauwelt von Tarvos"},
           {0,
            "Dunmar: a rust-red world of deep shafts. Hale, the foreman of its mines, knows what goes on "
            "between the stars, and the miners' store fills the cells of every ship that lands.",
            "Dunmar: eine rostrote Welt tiefer Schächte. Hale, der Vorarbeiter der Minen, weiß, was zwischen "
            "den Sternen vor sich geht, und der Laden der Bergleute füllt die Zellen jedes Schiffs, das "
            "landet."}},
          {{"DemoPell", "Pell", 450, 200, 42},
           PlanetLook::GasGiant,
           {0, "Pell, ringed giant of Tarvos", "Pell, Ringriese von Tarvos"},
           {0,
            "Pell: a giant of gas and storms inside a wide ring of ice. Ships stay in its ring, where a "
            "station fills their cells.",
            "Pell: ein Riese aus Gas und Stürmen in einem weiten Ring aus Eis. Schiffe bleiben in seinem "
            "Ring, wo eine Station ihre Zellen füllt."}}}},
        {"Ossian",
         {0, "The Ossian system", "Das Ossian-System"},
         "OssianSystem",
         440,
         280,
         {{{"DemoAldra", "Aldra", 180, 220, 51},
           PlanetLook::Ocean,
           {0, "Aldra, ocean world of Ossian", "Aldra, Meereswelt von Ossian"},
           {0, "Aldra: an ocean under white clouds, on the edge of the raiders' space.",
            "Aldra: ein Ozean unter weißen Wolken, am Rand des Raums der Plünderer."}},
          {{"DemoBrin", "Brin", 430, 300, 52},
           PlanetLook::Desert,
           {0, "Brin, desert world of Ossian", "Brin, Wüstenwelt von Ossian"},
           {0,
            "Brin: dunes and the ruins of an old station. The wind never stops; traders camp in the ruins "
            "and fill the cells of ships that land.",
            "Brin: Dünen und die Ruinen einer alten Station. Der Wind hört nie auf; Händler lagern in den "
            "Ruinen und füllen die Zellen der Schiffe, die landen."}}}},
    };
    return systems;
}

// The message numbers of a planet's texts.
uint32_t PlanetNumber(const PlanetFacts& planet) {
    uint32_t k = 0;
    for (const SystemFacts& s : Systems())
        for (const PlanetFacts& p : s.planets) {
            ++k;
            if (std::string(p.place.cls) == planet.place.cls) return 10 * k;
        }
    return 0;
}

bool InFirstSystem(const PlanetFacts& planet) {
    for (const PlanetFacts& p : Systems().front().planets)
        if (std::string(p.place.cls) == planet.place.cls) return true;
    return false;
}

bool Talks(const PlanetFacts& planet) {
    return std::string(planet.place.name) == "Dunmar";
}

std::string SystemTextsFile(const SystemFacts& system) {
    return "Galaxy\\" + std::string(system.name) + ".mes";
}

// --- the star-system windows ---

// Made with the system's planets and the standard controls.
ScriptSubclass SystemWindow(const SystemFacts& system) {
    std::vector<std::string> names = {"ImageManager", "MessageManager", "FontManager", "HeavenControl",
                                      "StaticText"};
    for (const PlanetFacts& p : system.planets) names.emplace_back(p.place.cls);
    const UsedClasses used("StarSystemZoomed", names);
    DemoScript s(used);
    s.Op(Op::Dup);
    s.Make("HeavenControl", {s.I(200), s.I(0)});
    s.AddTo("StarSystemZoomed");
    s.Op(Op::Dup);
    s.Make("StaticText", {s.I(10), s.I(10), s.M(SystemTextsFile(system), 1), s.I(0)});
    s.UseFont("StaticText", "BigMenu");
    s.AddTo("StarSystemZoomed");
    for (const PlanetFacts& p : system.planets) {
        s.Op(Op::Dup);
        s.Make(p.place.cls,
               {s.P(PlanetPictureName(p.look, false)), s.I(p.place.x), s.I(p.place.y), s.I(p.place.id)});
        s.AddTo("StarSystemZoomed");
    }
    s.Op(Op::Dup);
    s.Call(19, "StarSystemZoomed");
    return {.name = system.windowClass, .base = used.Base(), .uses = used.Names(), .afterCreate = s.Finish()};
}

// --- the planets ---

// Adds to the planet window on top of the stack the planet's full name as its caption at the top
// left, and its description at (x, y), wrapped to the width.
void PlanetTexts(DemoScript& s, int32_t x, int32_t y, int32_t width) {
    s.Op(Op::Dup);
    s.Make("StaticText",
           {s.I(10), s.I(10), [](DemoScript& d) { d.Virtual(kPlanetFullNameVirtual, Receiver::Current); },
            s.I(0)});
    s.UseFont("StaticText", "BigMenu");
    s.AddTo("PlanetZoomed");
    s.Op(Op::Dup);
    s.Make("MultiLineControl",
           {s.I(x), s.I(y), s.I(width), s.I(0),
            [](DemoScript& d) { d.Virtual(kDescriptionVirtual, Receiver::Current); }, s.I(0)});
    s.AddTo("PlanetZoomed");
}

// Virtual method 14 of a planet of the first system: the system seen from where the pilot is, its
// caption the planet's full name.
Words OrbitView(const UsedClasses& used) {
    DemoScript s(used);
    s.Make(kDemoOrbitClass);
    PlanetTexts(s, 10, 40, 620);
    return s.Finish();
}

// Virtual method 14 of the other planets: the planet's name above, the planet large on the left, its
// description on the right, the conversation's button where there is one and the shop's below it, and
// the standard buttons. Every planet a ship lands on opens a shop, as the first system's window does
// from either of its planets: the cells are the fuel between the stars, and a pilot who can fill them
// wherever the ship stands is never stranded, whatever trips and hops emptied them.
Words PlanetView(const UsedClasses& used, const PlanetFacts& planet) {
    DemoScript s(used);
    s.Make(kPlanetViewClass);
    s.Op(Op::Dup);
    s.Make("HeavenControl", {s.I(200), s.I(0)});
    s.AddTo("PlanetZoomed");
    s.Op(Op::Dup);
    s.Make("Control",
           {s.P(PlanetPictureName(planet.look, true)), s.I(kDemoPlanetViewX), s.I(kDemoPlanetViewY), s.I(0)});
    s.AddTo("PlanetZoomed");
    PlanetTexts(s, 330, 130, 290);
    std::vector<std::pair<uint32_t, int32_t>> buttons;
    if (Talks(planet)) buttons.emplace_back(kTalkCaption, kDemoTalkButtonId);
    buttons.emplace_back(kShopCaption, kDemoShopButtonId);
    int32_t y = kDemoPlanetButtonY;
    for (const auto& [caption, id] : buttons) {
        s.Op(Op::Dup);
        s.Make("TextButton", {s.I(kDemoPlanetButtonX), s.I(y), s.M(kPlanetTexts, caption), s.I(id)});
        s.UseFont("TextButton", "BigMenu");
        s.AddTo("PlanetZoomed");
        y += kDemoPlanetButtonStep;
    }
    s.Op(Op::Dup);
    s.Call(19, "PlanetZoomed");
    return s.Finish();
}

ScriptSubclass PlanetClass(const PlanetFacts& planet) {
    const bool first = InFirstSystem(planet);
    const std::vector<std::string> names =
        first ? std::vector<std::string>{"MessageManager", "FontManager", kDemoOrbitClass,
                                         "PlanetZoomed",   "StaticText",  "MultiLineControl"}
              : std::vector<std::string>{
                    "MessageManager", "FontManager", "ImageManager", kPlanetViewClass,   "PlanetZoomed",
                    "HeavenControl",  "Control",     "StaticText",   "MultiLineControl", "TextButton"};
    const UsedClasses used("Planet", names);
    const uint32_t n = PlanetNumber(planet);
    DemoScript fullName(used), description(used);
    fullName.Message(kPlanetTexts, n + 1);
    description.Message(kPlanetTexts, n + 2);
    return {.name = planet.place.cls,
            .base = used.Base(),
            .virtuals = {{kDescriptionVirtual, description.Finish()},
                         {kPlanetViewVirtual, first ? OrbitView(used) : PlanetView(used, planet)},
                         {kPlanetFullNameVirtual, fullName.Finish()},
                         {kPlanetNameVirtual, PushTextWords(planet.place.name)}},
            .uses = used.Names()};
}

// --- the planets' windows ---

// Event of a planet window (code, p1, id pushed, the id on top): commands whose id handle names are
// done by handle (with the id on the stack, which it drops); the rest go to the planet window's own
// handling (the galaxy and game-menu buttons).
Words PlanetWindowEvent(const UsedClasses& used,
                        const std::vector<std::pair<int32_t, std::function<void(DemoScript&)>>>& handle) {
    DemoScript s(used);
    ScriptAssembler& a = s.Asm();
    const auto notCommand = a.NewLabel();
    const auto end = a.NewLabel();
    s.Op(Op::Swap);
    s.Op(Op::Drop);
    s.Op(Op::Swap);
    s.Int(kEventPrimary);
    s.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, notCommand);
    for (const auto& [id, action] : handle) {
        const auto next = a.NewLabel();
        s.Op(Op::Dup);
        s.Int(id);
        s.Op(Op::Equal);
        a.Jump(Op::JumpIfZero, next);
        s.Op(Op::Drop);
        action(s);
        a.Jump(Op::Jump, end);
        a.Bind(next);
    }
    // The command again as the planet window takes it: code 1, 0, the id.
    s.Int(kEventPrimary);
    s.Op(Op::Swap);
    s.Int(0);
    s.Op(Op::Swap);
    a.CallVirtual(kDialogEventVirtual, 1, Receiver::Current);
    a.Jump(Op::Jump, end);
    a.Bind(notCommand);
    s.Op(Op::Drop);
    a.Bind(end);
    return s.Finish();
}

// The shop of the first player with every item of the game in stock.
void Shop(DemoScript& s) {
    s.Manager(5, "ObjectManager", kPlayerListId);
    s.Make(kShopClass);
    for (const char* item : kDemoItemClasses) {
        s.Op(Op::Dup);
        s.Make(item);
        s.Op(Op::Swap);
        s.Call(19, "ShopDialog");
    }
    // The stock grid: x, y, columns, rows through the references of methods 20-23.
    const int32_t grid[] = {150, 70, 6, 3};
    for (uint32_t i = 0; i < 4; ++i) {
        s.Op(Op::Dup);
        s.Call(20 + i, "ShopDialog");
        s.Int(grid[i]);
        s.Op(Op::Swap);
        s.Op(Op::Store);
    }
    s.Op(Op::Dup);
    s.Manager(5, "ObjectManager", kPlayerListId);
    s.Op(Op::Swap);
    s.Call(4, "ShopDialog");
    s.Op(Op::Drop);
    s.Op(Op::DeleteObject);
}

// Kessa's shop, then the game menu over the window (it pops the window, then its flags): leaving the
// game (2 or 3) ends the window with that result; after a save or Back the window goes on.
void ShopThenGameMenu(DemoScript& s) {
    Shop(s);
    ScriptAssembler& a = s.Asm();
    const auto stay = a.NewLabel();
    const auto done = a.NewLabel();
    s.Int(0);
    s.Op(Op::This);
    s.Manager(5, "GameManager", kGameManagerId);
    s.Op(Op::Dup);
    s.Int(kEndGalaxyStep);
    s.Op(Op::GreaterEqual);
    a.Jump(Op::JumpIfZero, stay);
    a.Call(11, 1, Receiver::Current);
    s.Op(Op::Store);
    a.Jump(Op::Jump, done);
    a.Bind(stay);
    s.Op(Op::Drop);
    a.Bind(done);
}

// The description of the described planet in a box over the window (the box pops its typing speed,
// picture, style and text).
void DescribePlanet(DemoScript& s) {
    s.Int(kDemoDescribedPlanetId);
    s.Asm().Call(10, 1, Receiver::Current);
    s.Virtual(kDescriptionVirtual);
    s.Int(1);
    s.Int(0);
    s.Int(200);
    s.Asm().Call(15, 1, Receiver::Current);
    s.Op(Op::Drop);
}

// The first system's planet window: the two planets side by side on a row over the stars and the
// standard buttons: the galaxy button at the top right, the game menu's at the bottom right.
ScriptSubclass OrbitWindow() {
    const UsedClasses used("PlanetZoomed", {"ImageManager", "MessageManager", "FontManager", "HeavenControl",
                                            kDemoShopPlanetClass, kDemoDescribedPlanetClass, "ObjectManager",
                                            "ShopDialog", kDemoItemClasses[0], kDemoItemClasses[1],
                                            kDemoItemClasses[2], "GameManager", kShopClass});
    DemoScript fill(used);
    fill.Op(Op::Dup);
    fill.Make("HeavenControl", {fill.I(200), fill.I(0)});
    fill.AddTo("PlanetZoomed");
    for (const PlanetFacts& p : Systems().front().planets) {
        fill.Op(Op::Dup);
        fill.Make(p.place.cls, {fill.P(PlanetPictureName(p.look, false)), fill.I(p.place.x),
                                fill.I(p.place.y), fill.I(p.place.id)});
        fill.AddTo("PlanetZoomed");
    }
    fill.Op(Op::Dup);
    fill.Call(19, "PlanetZoomed");
    return {.name = kDemoOrbitClass,
            .base = used.Base(),
            .virtuals = {{kDialogEventVirtual,
                          PlanetWindowEvent(used, {{kDemoShopPlanetId, ShopThenGameMenu},
                                                   {kDemoDescribedPlanetId, DescribePlanet}})}},
            .uses = used.Names(),
            .afterCreate = fill.Finish()};
}

// The foreman's conversation over the stars: a panel with his face, his name, his question and the
// answers stacked upwards from the panel's foot. Run with the window's player; the window goes on.
void Talk(DemoScript& s) {
    constexpr int32_t kQuestionX = 220, kQuestionY = 120, kWidth = 370, kAnswerBase = 410;
    s.Make("Conversation", {s.T(kTalkTexts), s.T(kTalkQuestions), s.I(kQuestionX), s.I(kAnswerBase),
                            s.I(kWidth), s.I(kQuestionX), s.I(kQuestionY), s.I(kWidth)});
    s.Op(Op::Dup);
    s.Make("HeavenControl", {s.I(200), s.I(0)});
    s.AddTo("Conversation");
    s.Op(Op::Dup);
    s.Make("RectangleControl", {s.I(30), s.I(50), s.I(580), s.I(380), s.I(0)});
    s.AddTo("Conversation");
    s.Op(Op::Dup);
    s.Make("Control", {s.P("Demo\\Foreman.dpf"), s.I(120), s.I(220), s.I(0)});
    s.AddTo("Conversation");
    s.Op(Op::Dup);
    s.Make("StaticText", {s.I(kQuestionX), s.I(70), s.M(kTalkTexts, kForemanTitle), s.I(0)});
    s.UseFont("StaticText", "BigMenu");
    s.AddTo("Conversation");
    s.Op(Op::Dup);
    s.Int(kFirstQuestion);
    s.Op(Op::Swap);
    s.Call(19, "Conversation");
    s.Op(Op::Dup);
    s.Asm().Call(5, 1, Receiver::Current);
    s.Op(Op::Swap);
    s.Call(4, "Conversation");
    s.Op(Op::Drop);
    s.Op(Op::DeleteObject);
}

// The shop window, named by the planet file.
ScriptSubclass ShopClass() {
    const UsedClasses used("ShopDialog", {"MessageManager"});
    DemoScript name(used);
    name.Message(kPlanetTexts, kShopName);
    return {.name = kShopClass,
            .base = used.Base(),
            .virtuals = {{kNameVirtual, name.Finish()}},
            .uses = used.Names()};
}

ScriptSubclass PlanetWindow() {
    const UsedClasses used("PlanetZoomed",
                           {"ImageManager", "MessageManager", "FontManager", "Conversation", "HeavenControl",
                            "RectangleControl", "Control", "StaticText", "ObjectManager", "ShopDialog",
                            kDemoItemClasses[0], kDemoItemClasses[1], kDemoItemClasses[2], kShopClass});
    return {.name = kPlanetViewClass,
            .base = used.Base(),
            .virtuals = {{kDialogEventVirtual,
                          PlanetWindowEvent(used, {{kDemoTalkButtonId, Talk}, {kDemoShopButtonId, Shop}})}},
            .uses = used.Names()};
}

// --- files ---

std::string SystemTable() {
    std::vector<std::string> systems;
    for (const SystemFacts& s : Systems())
        systems.push_back(SCBlock("SSYF", "Galaxy\\" + std::string(s.name) + ".txt" + std::string(1, '\0'),
                                  LeU32(static_cast<uint32_t>(s.mapX)) + LeU32(static_cast<uint32_t>(s.mapY)),
                                  {SEBlock("NAME", std::string(s.name) + std::string(1, '\0'))}));
    return SCBlock("GLXY", "", systems);
}

std::vector<DemoText> PlanetTexts() {
    std::vector<DemoText> texts = {
        {kTalkCaption, "Talk to the foreman", "Mit dem Vorarbeiter reden"},
        {kShopCaption, "Visit the shop", "Zum Laden"},
        {kShopName, "Traders' market", "Händlermarkt"},
    };
    for (const SystemFacts& s : Systems())
        for (const PlanetFacts& p : s.planets) {
            const uint32_t n = PlanetNumber(p);
            texts.push_back({n + 1, p.fullName.first, p.fullName.second});
            texts.push_back({n + 2, p.description.first, p.description.second});
        }
    return texts;
}

// The foreman's questions: each record holds the question's message, the answer that ends the talk,
// the first of the further answers, their count and the question each leads to.
std::vector<CharRecord> TalkQuestions() {
    return {
        {static_cast<uint32_t>(kFirstQuestion), {1, 2, 3, 3, 1001, 1002, 1003}},
        {1001, {10, 11, 12, 1, kFirstQuestion}},
        {1002, {20, 21, 22, 1, kFirstQuestion}},
        {1003, {30, 31, 32, 1, kFirstQuestion}},
    };
}

std::vector<DemoText> TalkTexts() {
    return {
        {1,
         "Welcome to Dunmar, pilot. Since the red raiders came, few ships land here. What can I do for you?",
         "Willkommen auf Dunmar, Pilot. Seit die roten Plünderer kommen, landen hier wenige Schiffe. Was "
         "kann ich für "
         "dich tun?"},
        {2, "Nothing. Safe shifts, Hale.", "Nichts. Gute Schicht, Hale."},
        {3, "Who are the raiders?", "Wer sind die Plünderer?"},
        {4, "What do you mine here?", "Was baut ihr hier ab?"},
        {5, "Where can I refit my ship?", "Wo kann ich mein Schiff ausrüsten?"},
        {10,
         "Red ships from beyond Ossian. They come in threes, fire as they fly and take whatever the convoys "
         "carry. "
         "Keep moving and keep firing.",
         "Rote Schiffe von jenseits Ossians. Sie kommen zu dritt, feuern im Flug und nehmen, was die Konvois "
         "tragen. "
         "Bleib in Bewegung und feuere weiter."},
        {11, "I will. Goodbye.", "Mache ich. Auf Wiedersehen."},
        {12, "Let me ask something else.", "Ich möchte noch etwas fragen."},
        {20, "Ice from the deep shafts, and a little iridium. It goes to the traders of Kessa, in Vesta.",
         "Eis aus den tiefen Schächten und etwas Iridium. Es geht an die Händler von Kessa, in Vesta."},
        {21, "Thank you. Goodbye.", "Danke. Auf Wiedersehen."},
        {22, "Let me ask something else.", "Ich möchte noch etwas fragen."},
        {30,
         "Right here: our store sells guns, cells and engines, as the traders of every world do, and fills "
         "your cells: they are your fuel between the stars.",
         "Gleich hier: Unser Laden verkauft Waffen, Zellen und Antriebe, wie die Händler jeder Welt, und "
         "füllt deine Zellen: Sie sind dein Treibstoff zwischen den Sternen."},
        {31, "Thank you. Goodbye.", "Danke. Auf Wiedersehen."},
        {32, "Let me ask something else.", "Ich möchte noch etwas fragen."},
        {kForemanTitle, "Hale, foreman of the Dunmar mines", "Hale, Vorarbeiter der Minen von Dunmar"},
    };
}

}  // namespace

const std::vector<DemoSystemPlace>& DemoGalaxy() {
    static const std::vector<DemoSystemPlace> galaxy = [] {
        std::vector<DemoSystemPlace> places;
        for (const SystemFacts& s : Systems()) {
            DemoSystemPlace place{s.name, s.windowClass, s.mapX, s.mapY, {}};
            for (const PlanetFacts& p : s.planets) place.planets.push_back(p.place);
            places.push_back(place);
        }
        return places;
    }();
    return galaxy;
}

std::vector<ScriptSubclass> DemoGalaxyClasses() {
    std::vector<ScriptSubclass> classes = {OrbitWindow(), PlanetWindow(), ShopClass()};
    for (const SystemFacts& s : Systems()) {
        classes.push_back(SystemWindow(s));
        for (const PlanetFacts& p : s.planets) classes.push_back(PlanetClass(p));
    }
    return classes;
}

std::vector<FdEntry> DemoGalaxyFiles() {
    std::vector<FdEntry> files = {
        {kDemoStarSystemTable, SystemTable()},
        {kPlanetTexts, TwoLanguageMessages(PlanetTexts())},
        {kTalkTexts, TwoLanguageMessages(TalkTexts())},
        {kTalkQuestions, CharacteristicsText(TalkQuestions())},
    };
    for (const SystemFacts& s : Systems()) {
        const std::string texts = SystemTextsFile(s);
        // The description entry: the window's class, a word not used, the file of the shown name.
        files.push_back({"Galaxy\\" + std::string(s.name) + ".txt",
                         std::string(s.windowClass) + "\r\nStandard\r\n" + texts + "\r\n"});
        files.push_back({texts, TwoLanguageMessages({{1, s.shownName.first, s.shownName.second}})});
    }
    return files;
}
