// Start-up: builds the running game on the main thread before the game thread starts. It opens
// "main.FD", reads the settings blocks, builds the picture and colour managers and the display,
// creates the processor with its object and class tables, stores the managers and service objects
// under their fixed IDs (game_ids.h), registers every native class, creates the first objects by
// class name and starts the frame timer. What it builds goes into the game's globals (or the
// object table) as soon as it exists, so that GameShutdown releases it after a failure too; an
// object not yet handed over is released by start-up itself when a step fails.
#pragma once

// The platform services must be set in Game().services. Every failure is thrown as an engine
// error; a failing DirectDraw display is not one: the DrawDib kind takes over.
void GameStartup();

// The native classes start-up registers besides the managers, in order: those the user interface
// needs first, then the rest (registered names).
extern const char* const kFirstNativeClasses[16];
extern const char* const kLaterNativeClasses[68];
