// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/Cp1251.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct LevellingRun;
struct RunStations;

/// The scale of the rod pair a book was levelled with: how far its mean metre, from the rods'
/// calibration certificate, lies from a true metre, in parts per million. A reading r on the
/// rods is r·(1 + ppm·10⁻⁶) true metres, so every height difference h becomes h + h·ppm·10⁻⁶;
/// 0 corrects nothing. Distances are not read on the rods and stay as they are.
struct RodScale {
    double ppm = 0;

    bool Corrects() const { return ppm != 0; }
    /// A reading or a height difference in true metres.
    double Corrected(double metres) const { return metres + metres * ppm * 1e-6; }
};

/// The largest rod scale taken, ppm either way: a certificate's figure is tens of ppm, and
/// beyond a thousand the rods are no levelling rods.
inline constexpr double kMaxRodScalePpm = 1000;

/// Corrects every reading of the runs' stations (each sight, the means of back and fore) and
/// the instrument's own sum of height differences (Sh), so that each height difference, an
/// intermediate sight's as well, is h + h·ppm·10⁻⁶ and the instrument's sum is compared on the
/// same rods. Nothing changes when `scale` corrects nothing.
void CorrectReadings(std::vector<RunStations>& runs, RodScale scale);
/// The same for one run.
void CorrectReadings(RunStations& run, RodScale scale);

/// Corrects a run's sum of height differences as read by the run list (its heightSum).
void CorrectHeightSum(LevellingRun& run, RodScale scale);

/// The label of the rod scale's figure (ppm) in the workbooks, in their encoding.
inline constexpr std::string_view kRodScaleWorkbookLabel = "Масштаб реек, ppm"_cp1251;

/// The rod scale in words for every output that shows a result taken with it: "Rod scale
/// +20 ppm: every reading and height difference corrected by +20·10⁻⁶ of itself" in the
/// user's language; empty when it corrects nothing.
std::string RodScaleText(RodScale scale);

}  // namespace velmora
