// The game program's shell: start-up, threads, frame pacing, sound and input devices.
