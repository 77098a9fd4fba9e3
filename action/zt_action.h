#pragma once
// What the data-exchange drivers share on top of the host services: the
// exchange file names, the rejected-record log and the VAT slot lookup.
#include <memory>
#include <string>
#include <vector>

#include "action/action_base.h"

namespace zt {

class TLTools;
class ZTExpBuf;
class ZTImpBuf;

class ZTAction : public TZTActionBase {
public:
    ZTAction(TZTLibrary& library, std::int32_t session);
    ~ZTAction() override;

    virtual void DopiszDoLogu(const std::string& header);
    virtual std::string PlikLogu() { return KatalogRoboczy() + "kasa.log"; }
    virtual int OdrzucRekord(const std::string& first, const std::string& second, int status);

    // Writes the rejected records and warnings once per action.
    void LogujOdrzucone();
    // Slot index of a rate (hundredths of a percent); throws for a rate no slot holds.
    int NumerStawki(int rate);
    // Advances a record counter, updating the progress position ever less often.
    void KrokPostepu(int& counter);
    // The goods counts of the running export (to add, to rename or change the
    // rate, to change the price, to delete): those not 0, or all four.
    void PokazStatystykeTowarow(bool all, const int (&counts)[4]);

    // Exchange files in the working directory.
    std::string PlikEksportu() { return KatalogRoboczy() + "kasa.exp"; }
    std::string PlikWynikuEksportu() { return KatalogRoboczy() + "wynik.exp"; }
    std::string PlikImportu() { return KatalogRoboczy() + "kasa.imp"; }
    std::string PlikImportuTymczasowy() { return KatalogRoboczy() + "kasa.tmp"; }
    std::string PlikArchiwumImportu() { return KatalogRoboczy() + "arch1.imp"; }

    void UstawLogowanieOdrzuconych(bool on) { rejectedLogging_ = on; }
    std::vector<std::string>& Ostrzezenia() { return warnings_; }
    std::vector<std::string>& Odrzucone() { return rejected_; }
    // Raised when an export rejected goods.
    void UstawOdrzucone() { goodsRejected_ = true; }
    bool TowaryOdrzucone() const { return goodsRejected_; }
    TLTools& Narzedzia() { return *tools_; }

protected:
    // A text of this level under module "zttools_ZTAction".
    std::string TA(std::string_view key, std::string_view polishUtf8) const;

    ZTExpBuf* expBuf_ = nullptr;
    ZTImpBuf* impBuf_ = nullptr;

private:
    bool logWritten_ = false;
    bool rejectedLogging_ = false;
    bool goodsRejected_ = false;
    std::unique_ptr<TLTools> tools_;
    std::vector<std::string> warnings_;
    int lastRate_ = 9999;
    std::vector<std::string> rejected_;
};

}  // namespace zt
