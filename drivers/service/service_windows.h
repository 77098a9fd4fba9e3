#pragma once
// The register service operations offered as windows: clearing the sales
// counters, clearing the goods base, and the communication report.
namespace zt {

class TZTComboAction;

void ResetSal(TZTComboAction& action);
// From a window the link is opened and closed here; the export calls it on its open link.
void ResetAll(TZTComboAction& action, bool ownLink);
void CommunicationReport(TZTComboAction& action);

}  // namespace zt
