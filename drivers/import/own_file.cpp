#include "drivers/import/own_file.h"

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fs.h"

namespace zt {

void RemoveOwnFile(const std::string& path) {
    if (deleteFile(path)) return;
    const int error = lastOsError();
    if (!fileExists(path) && !isLink(path)) return;
    throw Exception(pl("Nie można usunąć pliku ") + path + " (" + osErrorText(error) +
                    pl("). Import zatrzymany przed dalszym odczytem z kasy; zamknij program, który używa pliku, "
                       "i powtórz import."));
}

}  // namespace zt
