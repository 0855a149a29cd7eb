#include "world/skills.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "tests/support/game_harness.h"
#include "world/shots.h"

namespace {

uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}

class SkillsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.AddMessages("Skills.mes", {{7, "Gunnery"}, {51, "Trade"}, {52, "Tinkering"}});
        game.AddMessages("SkillsDesc.mes",
                         {{7, "Hits harder"}, {51, "Buys cheaper"}, {52, "Switches faster"}});
        game.Start();
    }

    SkillObject& Make(const std::string& className, const std::vector<uint32_t>& pushed = {}) {
        made.push_back(game.New(className, pushed));
        return SkillObject::Of(made.back().get());
    }

    GameHarness game;
    std::vector<GameObject> made;
};

TEST_F(SkillsTest, NewSkillsStartAtLevelOneUnplacedAndKeepTheirFlags) {
    for (const char* name : {"Skill", "WeaponSkill", "CommerceSkill", "SwitchSkill"}) {
        SCOPED_TRACE(name);
        SkillObject& skill = Make(name, {3});
        EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 4), std::vector<uint32_t>{1});
        EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 5), std::vector<uint32_t>{0});
        EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 6), std::vector<uint32_t>{0});
        EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 7), std::vector<uint32_t>{0});
        EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 10), std::vector<uint32_t>{0});
        game.CallMethod(&skill, game.Class("Skill"), 8, {5});
        game.CallMethod(&skill, game.Class("Skill"), 9, {W(-2)});
        EXPECT_EQ(skill.StepFlag(), 5);
        EXPECT_EQ(skill.ApplyFlag(), -2);
    }
}

TEST_F(SkillsTest, ValuesAndPercentages) {
    const struct {
        const char* cls;
        int32_t level;
        int32_t value;       // virtual method 8
        int32_t percentage;  // native 10 of the percentage kinds
    } cases[] = {
        {"Skill", 7, 1, -1},           {"WeaponSkill", 7, 7, -1},     {"CommerceSkill", 3, 1, 30},
        {"CommerceSkill", 10, 1, 100}, {"CommerceSkill", 11, 1, 100}, {"SwitchSkill", 1, 1, 5},
        {"SwitchSkill", 20, 1, 100},   {"SwitchSkill", 25, 1, 100},   {"SwitchSkill", 2147483647, 1, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cls) + " level " + std::to_string(c.level));
        SkillObject& skill = Make(c.cls, {0});
        skill.SetLevel(c.level);
        EXPECT_EQ(Skill::CallValue(&skill), c.value);
        if (c.percentage >= 0) {
            EXPECT_EQ(game.CallMethod(&skill, 10), std::vector<uint32_t>{W(c.percentage)});
        }
    }
}

TEST_F(SkillsTest, NamesAndDescriptionsComeFromTheSkillFiles) {
    const struct {
        const char* cls;
        int32_t slot;
        const char* name;
        const char* description;
    } cases[] = {
        {"WeaponSkill", 7, "Gunnery", "Hits harder"},
        {"CommerceSkill", 3, "Trade", "Buys cheaper"},
        {"SwitchSkill", 9, "Tinkering", "Switches faster"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls);
        SkillObject& skill = Make(c.cls, {0});
        skill.SetSlotNumber(c.slot);
        EXPECT_EQ(game.TextAt(game.CallVirtual(&skill, 3).at(0)), c.name);
        EXPECT_EQ(game.TextAt(game.CallVirtual(&skill, 4).at(0)), c.description);
    }
}

// The parameter index comes from scripts and stored pilots: one outside the ten damage kinds
// raises the nearest kind instead of a word beyond the shot's table.
TEST_F(SkillsTest, WeaponSkillRaisesOneDamageKindOfAShot) {
    const struct {
        int32_t parameter;
        int32_t level;
        uint32_t raised;
    } cases[] = {{3, 4, 3},      {0, 1, 0}, {9, 2, 9}, {-1, 5, 0}, {10, 6, 9}, {-2147483647 - 1, 3, 0},
                 {1000000, 3, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameter);
        SkillObject& skill = Make("WeaponSkill", {W(c.parameter)});
        skill.SetLevel(c.level);
        GameObject shot = game.New("Shot", {0, 0, 0, 0, 0, 0, 1, 0});
        auto& actor = ShotObject::Of(shot.get());
        for (uint32_t k = 0; k < kDamageKinds; ++k) actor.SetInt(kActorDamage + k, 10);
        Skill::CallApplyTo(&skill, &actor);
        for (uint32_t k = 0; k < kDamageKinds; ++k) {
            EXPECT_EQ(actor.Int(kActorDamage + k), k == c.raised ? 10 + c.level : 10) << k;
        }
    }
}

TEST_F(SkillsTest, CloneCopiesEveryFieldAndTheOwnerIsForgottenWhenItGoes) {
    SkillObject& skill = Make("WeaponSkill", {4});
    GameObject owner = game.New("GTTClass");
    skill.SetOwner(owner.get());
    skill.SetLevel(6);
    skill.SetStepFlag(1);
    skill.SetApplyFlag(1);
    skill.SetSlotNumber(55);
    made.emplace_back(skill.Clone());
    const SkillObject& copy = SkillObject::Of(made.back().get());
    EXPECT_EQ(copy.Class(), skill.Class());
    EXPECT_EQ(
        (std::array{copy.Level(), copy.StepFlag(), copy.ApplyFlag(), copy.SlotNumber(), copy.Parameter()}),
        (std::array{6, 1, 1, 55, 4}));
    EXPECT_EQ(copy.Owner(), owner.get());
    EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 7), std::vector<uint32_t>{owner->Address()});
    owner.reset();
    EXPECT_EQ(skill.Owner(), nullptr);
    EXPECT_EQ(game.CallMethod(&skill, game.Class("Skill"), 7), std::vector<uint32_t>{0});
}

}  // namespace
