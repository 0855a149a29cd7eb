// Control ids of the standard window frame (DialogWindow::BuildFrame).
#pragma once

#include <cstdint>

constexpr uint32_t kFrameId = 40;            // the OpenWindowControl
constexpr uint32_t kFrameBackgroundId = 41;  // the RectangleControl
constexpr int32_t kFrameCancelId = 42;       // button with "system.mes" 119, answers 0
constexpr int32_t kFrameOkId = 43;           // button with "system.mes" 117, answers 1
constexpr uint32_t kFrameCloserId = 44;      // the CloseWindowControl
