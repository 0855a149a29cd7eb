// The platform layer: small interfaces over the operating system's window, video, timer, audio and
// input services, with headless backends (always) and SDL2 backends (when SDL2 is present).
