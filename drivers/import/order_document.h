#pragma once
// The customer orders of one processing of "combo.imp" as an order document
// in the host's EDI folder.
namespace zt {

class TZTComboAction;
class ZTOrderList;
class ZTSaveJournal;

// Nothing without orders or when the journal has the document written;
// otherwise writes the document (under the number the journal planned, when
// it did) and tells the user its name.
void WriteOrderDocument(TZTComboAction& action, const ZTOrderList& orders, ZTSaveJournal& journal);

}  // namespace zt
