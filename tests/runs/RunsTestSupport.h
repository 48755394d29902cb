#pragma once

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
