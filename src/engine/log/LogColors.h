#pragma once

#include <cstdint>

// Log colours are 0x00BBGGRR values: red in the low byte.
inline constexpr int32_t LogBlack = 0x000000;
inline constexpr int32_t LogRed = 0x0000FF;
inline constexpr int32_t LogGreen = 0x008800;
