// SPDX-License-Identifier: MIT
// A folder of the core that cmake/Layers.cmake does not name: the layer check must refuse it
// rather than leave its includes unchecked.
#pragma once
#include "state/MainWindowState.h"
