#include "drivers/import/import_run.h"

#include "platform/whole_file.h"

namespace zt {

void ImportRun::Append(std::string_view line) const { appendFileNoFollow(ComboImp(), line); }

}  // namespace zt
