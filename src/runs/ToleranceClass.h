// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// The levelling classes; each allows a misclosure of coefficient × √(run length in km).
enum class ToleranceClass { I, II, III, IV };

/// Metres per square root of kilometre: 0.002, 0.005, 0.01 and 0.02 for classes I to IV.
double CoefficientOf(ToleranceClass toleranceClass);

/// Kilometres per metre: run lengths are summed in metres and turned into kilometres only
/// for the tolerance.
inline constexpr double kKilometresPerMetre = 0.001;

/// The allowed misclosure of a run, metres: `toleranceCoefficient` (metres per √km) × √(the
/// run length in km), the length given in metres. NaN for a negative length.
double AllowedMisclosure(double toleranceCoefficient, double lengthMetres);

/// Whether a misclosure (metres, unrounded) is beyond the allowed one: strictly above it in
/// magnitude; a misclosure equal to it is within tolerance.
bool BeyondTolerance(double misclosure, double allowedMisclosure);

/// The class at program start.
inline constexpr ToleranceClass kStartClass = ToleranceClass::II;

/// The caption of the class label left of the run list, in the catalogue's words and in
/// Windows-1251: "I кл.", "II кл.", "III кл.", "IV кл." in Russian.
std::string ClassLabelText(ToleranceClass toleranceClass);

/// The caption of the class's item in menu Settings: "I class" … "IV class".
std::string ClassMenuText(ToleranceClass toleranceClass);

/// The roman numeral: "I", "II", "III", "IV".
std::string ClassName(ToleranceClass toleranceClass);

/// The class named by its roman numeral, if the text is one.
std::optional<ToleranceClass> ClassFromName(std::string_view name);

/// All four, in menu order.
inline constexpr ToleranceClass kAllClasses[] = {ToleranceClass::I, ToleranceClass::II,
                                                 ToleranceClass::III, ToleranceClass::IV};

}  // namespace velmora
