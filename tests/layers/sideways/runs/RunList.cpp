// SPDX-License-Identifier: MIT
#include "fieldbook/RecordList.h"
#include <QString>
