#pragma once
// The one default receiving system: what a first run puts into the fields, and the usual
// system of the tests and benchmarks. A 5 m dish at 69 % efficiency, Ks 1, 1303 MHz, LNA
// 0.23 dB / 38 dB, losses 0.1 dB before and 0.5 dB after it, receiver 4 dB, 18000 s on
// 10000 kHz, sky 4 K, spillover 10 K, atmosphere 0 K, receiver bandwidth 3000 Hz.

#include <array>

#include "ReceiverFigures.h"
#include "Unit1Config.h"

// Field texts in the configuration's order (TConfigField).
inline constexpr std::array<const char*, cfFieldCount> DefaultFieldTexts = {
    "5", "69", "1", "1303", "0.23", "38", "0.1", "0.5", "4", "18000", "10000", "4", "10", "0"};
inline constexpr const char* DefaultReceiverBandwidthText = "3000";
inline constexpr double DefaultReceiverBandwidthHz = 3000;

// The same system as the figures take it (dish antenna; efficiency as a fraction).
TReceiverInputs DefaultReceiverInputs();
