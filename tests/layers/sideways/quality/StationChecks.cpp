// SPDX-License-Identifier: MIT
// The quality checks reaching sideways into the export, and the run analysis into Qt: the layer
// check must refuse both.
#include "fieldbook/MeasurementRecord.h"
#include "export/Export.h"
