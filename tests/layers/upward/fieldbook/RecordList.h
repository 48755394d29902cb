// SPDX-License-Identifier: MIT
// A field-book header that reaches up into the run analysis: the layer check must refuse it.
#pragma once
#include "runs/Station.h"
