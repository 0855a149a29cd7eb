#include "platform/video.h"

#include <algorithm>

#include "platform/frame_copy.h"

const char* const kVideoModeError = "Unable to set video mode";

bool Video::Open(const VideoMode& mode, std::string* error) {
    Close();
    if (mode.width <= 0 || mode.height <= 0 || mode.width > kMaxSide || mode.height > kMaxSide ||
        (mode.bitsPerPixel != 8 && mode.bitsPerPixel != 16)) {
        if (error) *error = kVideoModeError;
        return false;
    }
    std::string reason;
    if (!OpenOutput(mode, &reason)) {
        if (error) *error = reason.empty() ? kVideoModeError : reason;
        return false;
    }
    mode_ = mode;
    if (mode.kind == VideoKind::DirectDraw) {
        backPitch_ = AlignedPitch(mode.width, mode.bitsPerPixel);
        backSurface_.assign(static_cast<size_t>(backPitch_) * static_cast<size_t>(mode.height), 0);
    }
    open_ = true;
    return true;
}

void Video::Close() {
    if (!open_) return;
    CloseOutput();
    open_ = false;
    locked_ = false;
    backSurface_.clear();
    backSurface_.shrink_to_fit();
    backPitch_ = 0;
}

int32_t Video::PixelFormat() const {
    if (!open_ || mode_.bitsPerPixel != 16) return 0;
    return mode_.kind == VideoKind::DrawDib ? 555 : NativePixelFormat();
}

void Video::SetPalette(std::span<const PaletteColor> colors) {
    palette_.fill(PaletteColor{});
    std::copy_n(colors.begin(), std::min(colors.size(), palette_.size()), palette_.begin());
}

bool Video::Present(const FrameView& frame) {
    if (!open_ || !frame.pixels || frame.pitch < RowBytes(mode_.width, mode_.bitsPerPixel)) return false;
    ShowFrame(frame);
    ++framesShown_;
    return true;
}

SurfaceResult Video::Lock(LockedSurface* surface) {
    if (!open_ || mode_.kind != VideoKind::DirectDraw) return SurfaceResult::Error;
    locked_ = true;
    surface->pixels = backSurface_.data();
    surface->pitch = backPitch_;
    return SurfaceResult::Ok;
}

void Video::Unlock() {
    locked_ = false;
}

SurfaceResult Video::Blit() {
    if (!open_ || mode_.kind != VideoKind::DirectDraw || locked_) return SurfaceResult::Error;
    ShowFrame(FrameView{backSurface_.data(), backPitch_, false});
    ++framesShown_;
    return SurfaceResult::Ok;
}

bool Video::Restore() {
    return true;
}

void Video::PlaceWindow(const WindowPlacement& placement) {
    placement_ = placement;
}

bool Video::OpenOutput(const VideoMode&, std::string*) {
    return true;
}

void Video::CloseOutput() {}

void Video::ShowFrame(const FrameView&) {}
