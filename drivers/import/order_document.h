#pragma once
// The customer orders of one processing of "combo.imp" as an order document
// in the host's EDI folder.
namespace zt {

class TZTComboAction;
class ZTOrderList;
class ZTSaveJournal;

// Nothing without orders (its own or kept ones) or when the journal has the
// document written; otherwise writes the document, the kept orders first
// (under the number the journal planned, when it did), and tells the user its
// name. A document that cannot be written leaves this processing's orders
// kept in the working directory, with a message saying where and why.
void WriteOrderDocument(TZTComboAction& action, const ZTOrderList& orders, ZTSaveJournal& journal);

}  // namespace zt
