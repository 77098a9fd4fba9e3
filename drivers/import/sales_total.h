#pragma once
// The day's sales total as a progress line, after each buffer is saved.
namespace zt {

class TZTActionBase;
class ZTImpBuf;

void PokazSumeSprzedazy(TZTActionBase& action, const ZTImpBuf& buffer);

}  // namespace zt
