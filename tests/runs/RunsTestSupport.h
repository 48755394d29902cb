// SPDX-License-Identifier: MIT
#pragma once

#include "FieldBookLines.h"
#include "fieldbook/MeasurementFile.h"
