#pragma once
// Archives of an import in the register's working directory: every processed
// "combo.imp" goes into "arch.imp" (which starts with the format header),
// every "kasa.imp" into "arch1.imp", every merged "receipt.tmp" into
// "arch2.imp". An archived file follows its own import header line.
#include <string>

namespace zt {

class TMLgExtTools;

// The comment block "arch.imp" starts with.
std::string ComboArchiveHeader();

// Appends the source's lines after the import header line; nothing when the
// source is missing. The archive is never written through a link.
void ArchiveImportFile(const std::string& source, const std::string& archive, const TMLgExtTools* t);

// The same for the files of a working directory (ending in a separator);
// "arch.imp" gets its format header when it is new.
void ArchiveComboImp(const std::string& dir, const TMLgExtTools* t);
void ArchiveKasaImp(const std::string& dir, const TMLgExtTools* t);
void ArchiveReceiptTmp(const std::string& dir, const TMLgExtTools* t);

}  // namespace zt
