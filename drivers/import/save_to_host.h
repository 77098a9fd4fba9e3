#pragma once
// "combo.imp" turned into the host's sales: read into one buffer per sale
// date, each buffer written as "kasa.imp" and handed to the host, the files
// archived; "combo.imp" goes only once every buffer is stored and its order
// document written. Each stored buffer is written down in "combo.imp" before
// the next step, so a processing taken up again stores only the rest.
#include <memory>
#include <string>
#include <string_view>

namespace zt {

class TZTComboAction;
class ZTImpBufList;
class ZTReceiptImpReader;
class ZTSaveJournal;
struct ImportRun;

// Reads the text of "combo.imp" into the list (emptied first) with the buffer
// and receipt settings of this operation; without stateLines the counters and
// the cash state are left out. The reader keeps the orders of the file.
std::unique_ptr<ZTReceiptImpReader> ReadComboImp(TZTComboAction& action, ZTImpBufList& list, const ImportRun& run,
                                                 std::string_view text, bool stateLines = true);

// Saves every buffer of the list the journal does not know as stored to the
// host, in list order, and writes each down in the journal.
void SaveToHost(TZTComboAction& action, ZTImpBufList& list, ZTSaveJournal& journal);

// The save is over: "combo.imp" and "kasa.tmp" go. With nextComboImp,
// "combo.imp" is replaced by that text (in one step) instead: what the next
// reading must know starts its file.
void EndSave(TZTComboAction& action, const std::string* nextComboImp = nullptr);

}  // namespace zt
