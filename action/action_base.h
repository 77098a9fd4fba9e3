#pragma once
// The action: one object per entry-point call, giving every driver the same
// host services (environment, parameters, messages, progress, abort query,
// result stores, error report) over the library's callback table.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "action/library.h"
#include "action/qordll.h"
#include "link/host_services.h"

namespace zt {

class TZTLibrary;
class TMLgExtTools;
class TMacSetOfIntegers;
class TZTStawkiKolejne;

// The operation record handed from QORDLLSerKasOperacja to Operacja.
struct HQORDLLSRODOWISKO {
    std::string Tekst;
    QORSesja* Sesja = nullptr;
    std::int32_t Wynik = 0;
};

// Byte between a progress line's label and its value.
inline constexpr char kProgressSep = '\x01';

class TZTActionBase : public HostServices {
public:
    TZTActionBase(TZTLibrary& library, std::int32_t session);
    virtual ~TZTActionBase();
    TZTActionBase(const TZTActionBase&) = delete;
    TZTActionBase& operator=(const TZTActionBase&) = delete;

    // --- virtual operations, in the order the host interface knows them ---
    virtual std::string NazwaZasobu() = 0;
    virtual bool JakSzukacParagonu(std::int32_t* printout, std::int32_t* second, std::int32_t* receipt);
    virtual void Operacja(HQORDLLSRODOWISKO& record, int operation, int extra);
    virtual std::string WlasciwoscUrzadzenia(int property);
    virtual int LiczbaStawek() { return 10; }

    // --- environment ---
    TZTLibrary& Library() const { return library_; }
    std::int32_t Session() const { return session_; }
    std::int32_t EnvironmentId() const { return envId_; }
    std::int32_t NumerKasy() const override { return registerNo_; }
    const std::string& Tekst1() const { return envText1_; }
    const std::string& Tekst2() const { return envText2_; }
    // The working directory; throws when the host's buffer could not hold it.
    const std::string& KatalogRoboczy() const override;
    void SprawdzKatalogRoboczy() const;
    int Dodatkowy() const { return extra_; }
    void UstawDodatkowy(int extra) { extra_ = extra; }

    // --- parameters ---
    std::string Parametr(std::string_view name);
    int ParametrInt(std::string_view name);
    std::string ParametrKatalog(std::string_view name);
    double ParametrData(std::string_view name);
    std::string WlasnyParametr(std::string_view name);
    void ZapiszParametr(std::string_view key, std::string_view value);
    void ZapiszWlasnyParametr(std::string_view name, std::string_view value);
    std::string WlasnyParametrDlugi(std::string_view name, int count);
    void ZapiszWlasnyParametrDlugi(std::string_view name, std::string_view value, int count);

    // --- messages and progress ---
    void Komunikat(int kind, const std::string& text) override;
    std::string Status(int kind, const std::string& text);
    std::string OstatniKomunikat(bool labelOnly) const;
    void Postep(const std::string& text, int mode, int maximum = 100) override;
    void PostepPozycja(int position) override;
    void PostepTryb(int mode) override;
    int TrybPostepu() const { return progressMode_; }

    // --- host queries and stores ---
    bool CzyPrzerwac() override;
    void ZapiszWynikEksportu();
    void ZapiszKasaSprzedaz();
    int TowarDoHosta(const std::string& name, int plu, const std::string& codes, bool overwrite,
                     const std::string& group, const std::string& unit, int vat, const long double prices[4],
                     bool openPrice, bool package, const std::string& packageCode);
    // The same with the prices already in the host's 80-bit form.
    int TowarDoHosta(const std::string& name, int plu, const std::string& codes, bool overwrite,
                     const std::string& group, const std::string& unit, int vat, const QORExtended prices[4],
                     bool openPrice, bool package, const std::string& packageCode);
    const std::vector<std::string>& ListaTekstow();
    TMacSetOfIntegers& StawkiHosta();
    TZTStawkiKolejne& Stawki();
    const TMLgExtTools* Tlumacz() const override;
    // Through the module translation reference, as every driver text.
    std::string Tekst(std::string_view module, std::string_view key, std::string_view def) const override;

    // Modal VAT slot dialog; an accepted, editable dialog stores the new order.
    void PokazStawki(const std::string& firstLabel, bool editable, const std::string& specialLabel);

    // Turns an exception (null: a thrown value of another type) into error messages.
    void RaportBledu(const std::string& operation, const std::exception* e) noexcept;

protected:
    // A text of this level under module "zttools_ZTLib".
    std::string T(std::string_view key, std::string_view polishUtf8) const;

private:
    template <typename F>
    F cb(std::int32_t kind) const;
    // Calls a host callback under the host's own floating-point state.
    template <typename F, typename... Args>
    auto callHost(F f, Args&&... args) const {
        HostCallFpu fpu(library_);
        return f(std::forward<Args>(args)...);
    }
    void sendProgressLine();

    TZTLibrary& library_;
    std::int32_t session_;
    std::int32_t envId_ = -1;
    std::int32_t registerNo_ = 0;
    std::string envText1_, envText2_, workDir_;
    bool workDirCut_ = false;
    std::unique_ptr<std::vector<std::string>> hostTexts_;
    std::unique_ptr<TMacSetOfIntegers> hostRates_;
    std::unique_ptr<TZTStawkiKolejne> slots_;
    std::string progressBase_;
    int progressMode_ = 5;
    int progressMax_ = 100;
    int progressPos_ = 0;
    int extra_ = 0;
    std::string lastMessage_;
};

// Splits a message text into lines as the host's string lists do: CR LF or LF
// ends a line, and a final line break adds no empty line.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace zt
