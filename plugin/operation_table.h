#pragma once
// Which driver runs each operation and window number the host asks for.
#include "drivers/combo/combo_action.h"

namespace zt {

const ComboOperations& ComboOperationTable();

}  // namespace zt
