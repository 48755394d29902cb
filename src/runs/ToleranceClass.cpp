// SPDX-License-Identifier: MIT
#include "runs/ToleranceClass.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

#include <cmath>

namespace velmora {

double AllowedMisclosure(double toleranceCoefficient, double lengthMetres)
{
    return toleranceCoefficient * std::sqrt(lengthMetres * kKilometresPerMetre);
}

bool BeyondTolerance(double misclosure, double allowedMisclosure)
{
    // Unrounded and without slack: the tolerance is a computed figure, not a decimal of the book.
    return std::fabs(misclosure) > allowedMisclosure;
}

double CoefficientOf(ToleranceClass toleranceClass)
{
    switch (toleranceClass) {
    case ToleranceClass::I: return 0.002;
    case ToleranceClass::II: return 0.005;
    case ToleranceClass::III: return 0.01;
    case ToleranceClass::IV: return 0.02;
    }
    return 0.005;
}


std::string ClassName(ToleranceClass toleranceClass)
{
    switch (toleranceClass) {
    case ToleranceClass::I: return "I";
    case ToleranceClass::II: return "II";
    case ToleranceClass::III: return "III";
    case ToleranceClass::IV: return "IV";
    }
    return "II";
}

std::optional<ToleranceClass> ClassFromName(std::string_view name)
{
    for (ToleranceClass c : kAllClasses) {
        if (name == ClassName(c))
            return c;
    }
    return std::nullopt;
}

std::string ClassLabelText(ToleranceClass toleranceClass)
{
    // TRANSLATORS: the main window's label of the class in use, {1} its name ("II").
    return Utf8ToCp1251(Fill(Tr("{1} cl."), {ClassName(toleranceClass)}));
}

std::string ClassMenuText(ToleranceClass toleranceClass)
{
    return ClassName(toleranceClass) + " class";
}

}  // namespace velmora
