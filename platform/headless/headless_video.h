// In-memory video for tests and CI: keeps what was shown and fails on request.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/video.h"

class HeadlessVideo : public Video {
  public:
    void SetNativePixelFormat(int32_t format) { nativeFormat_ = format; }
    void SetDesktop(const DesktopMode& desktop) { desktop_ = desktop; }

    // Opening this kind fails until allowed again.
    void FailOpen(VideoKind kind, bool fail = true);
    // Opening full screen fails with "Unable to set video mode" until allowed again.
    void FailModeSwitch(bool fail = true) { failModeSwitch_ = fail; }
    // The next `times` locks or blits answer `result`; the next `times` restores fail.
    void FailLocks(SurfaceResult result, int times);
    void FailBlits(SurfaceResult result, int times);
    void FailRestores(int times) { restoreFailures_ = times; }

    SurfaceResult Lock(LockedSurface* surface) override;
    SurfaceResult Blit() override;
    bool Restore() override;

    // The last frame shown, top-down rows of width x bytes per pixel without padding.
    const std::vector<uint8_t>& LastFrame() const { return lastFrame_; }
    int FramesShown() const { return framesShown_; }
    // The desktop is switched to a full-screen picture.
    bool FullScreenActive() const { return fullScreen_; }
    int LockCalls() const { return lockCalls_; }
    int BlitCalls() const { return blitCalls_; }
    int RestoreCalls() const { return restoreCalls_; }

  protected:
    bool OpenOutput(const VideoMode& mode, std::string* error) override;
    void CloseOutput() override;
    int32_t NativePixelFormat() const override { return nativeFormat_; }
    void ShowFrame(const FrameView& frame) override;

  private:
    int32_t nativeFormat_ = 565;
    bool failDirectDraw_ = false;
    bool failDrawDib_ = false;
    bool failModeSwitch_ = false;
    bool fullScreen_ = false;
    SurfaceResult lockFailure_ = SurfaceResult::Ok;
    int lockFailures_ = 0;
    SurfaceResult blitFailure_ = SurfaceResult::Ok;
    int blitFailures_ = 0;
    int restoreFailures_ = 0;
    int lockCalls_ = 0;
    int blitCalls_ = 0;
    int framesShown_ = 0;
    int restoreCalls_ = 0;
    std::vector<uint8_t> lastFrame_;
};
