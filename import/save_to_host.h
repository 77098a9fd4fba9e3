#pragma once
// "combo.imp" turned into the host's sales: read into one buffer per sale
// date, each buffer written as "kasa.imp" and handed to the host, the files
// archived; "combo.imp" goes only once every buffer is stored.
#include <memory>

namespace zt {

class TZTComboAction;
class ZTImpBufList;
class ZTReceiptImpReader;
struct ImportRun;

// Reads "combo.imp" of the working directory into the list (emptied first)
// with the buffer and receipt settings of this operation. The reader keeps
// the orders of the file.
std::unique_ptr<ZTReceiptImpReader> ReadComboImp(TZTComboAction& action, ZTImpBufList& list, const ImportRun& run);

// Saves every buffer of the list to the host, in list order.
void SaveToHost(TZTComboAction& action, ZTImpBufList& list);

}  // namespace zt
