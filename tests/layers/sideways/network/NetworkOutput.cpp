// SPDX-License-Identifier: MIT
// The network's results reaching sideways into the run export for a workbook (the workbook
// layer below both makes it): the layer check must refuse it.
#include "network/NetworkOutput.h"
#include "export/Export.h"
