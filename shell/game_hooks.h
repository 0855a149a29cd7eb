// What the shell calls in the layers above it: they install their parts at start-up. Until a part
// is installed its call does nothing, so the shell runs on its own (the main screen returns at
// once and the game ends).
#pragma once

#include <functional>
#include <memory>

class ScriptObject;
class TestRunWorld;

struct GameHooks {
    // Binds the natives of the game classes above the shell; start-up calls it with its own.
    std::function<void()> registerNatives;
    // Start mode 0: the title screen and main menu, from which the whole game is played.
    std::function<void()> mainScreen;
    // Start mode 4: the player and new-game set-up.
    std::function<void()> newGameSetup;
    // Reads the saved high scores into the HighScoreManager object; swallows its own errors.
    std::function<void(ScriptObject& highScores)> loadHighScores;
    // Start modes 1 and 2: the game world's side of the test runs.
    std::shared_ptr<TestRunWorld> testRunWorld;
};

GameHooks& Hooks();
