#pragma once
// The customer orders of one processing of "combo.imp" as an order document
// in the host's EDI folder.
namespace zt {

class TZTComboAction;
class ZTOrderList;

// Nothing without orders; otherwise writes the document and tells the user its name.
void WriteOrderDocument(TZTComboAction& action, const ZTOrderList& orders);

}  // namespace zt
