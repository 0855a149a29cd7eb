#include "platform/headless/headless_video.h"

#include "platform/frame_copy.h"

void HeadlessVideo::FailOpen(VideoKind kind, bool fail) {
    (kind == VideoKind::DirectDraw ? failDirectDraw_ : failDrawDib_) = fail;
}

void HeadlessVideo::FailLocks(SurfaceResult result, int times) {
    lockFailure_ = result;
    lockFailures_ = times;
}

void HeadlessVideo::FailBlits(SurfaceResult result, int times) {
    blitFailure_ = result;
    blitFailures_ = times;
}

SurfaceResult HeadlessVideo::Lock(LockedSurface* surface) {
    ++lockCalls_;
    if (lockFailures_ > 0 && IsOpen()) {
        --lockFailures_;
        return lockFailure_;
    }
    return Video::Lock(surface);
}

SurfaceResult HeadlessVideo::Blit() {
    ++blitCalls_;
    if (blitFailures_ > 0 && IsOpen()) {
        --blitFailures_;
        return blitFailure_;
    }
    return Video::Blit();
}

bool HeadlessVideo::Restore() {
    ++restoreCalls_;
    if (restoreFailures_ > 0) {
        --restoreFailures_;
        return false;
    }
    return true;
}

bool HeadlessVideo::OpenOutput(const VideoMode& mode, std::string* error) {
    if (mode.kind == VideoKind::DirectDraw ? failDirectDraw_ : failDrawDib_) {
        *error = "Unable to open the screen";
        return false;
    }
    if (mode.fullScreen && failModeSwitch_) {
        *error = kVideoModeError;
        return false;
    }
    fullScreen_ = mode.fullScreen;
    return true;
}

void HeadlessVideo::CloseOutput() {
    fullScreen_ = false;
}

void HeadlessVideo::ShowFrame(const FrameView& frame) {
    ++framesShown_;
    const VideoMode& mode = Mode();
    const size_t rowBytes = static_cast<size_t>(RowBytes(mode.width, mode.bitsPerPixel));
    lastFrame_.resize(rowBytes * static_cast<size_t>(mode.height));
    CopyFrameTopDown(frame, mode.width, mode.height, mode.bitsPerPixel, lastFrame_.data(), rowBytes);
}
