#pragma once
// "combo.imp" turned into the host's sales: read into one buffer per sale
// date, each buffer written as "kasa.imp" and handed to the host, the files
// archived; "combo.imp" goes only once every buffer is stored.
#include <functional>
#include <string_view>

namespace zt {

class TZTComboAction;
class ZTImpBuf;
class ZTImpBufList;

// What the receipt lines ("P_...") of "combo.imp" become; none: they are skipped.
using ReceiptLineSink = std::function<void(std::string_view line, ZTImpBuf* buffer)>;

// Reads "combo.imp" of the working directory into the list (emptied first)
// with the buffer settings of this operation.
void ReadComboImp(TZTComboAction& action, ZTImpBufList& list, const ReceiptLineSink& receiptLine);

// Saves every buffer of the list to the host, in list order.
void SaveToHost(TZTComboAction& action, ZTImpBufList& list);

}  // namespace zt
