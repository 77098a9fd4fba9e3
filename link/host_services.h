#pragma once
// What the link asks of the running operation: the host's status line with its
// mode and position, the message list, the abort question, translated texts,
// the working directory and the register number. The action base implements
// it; the link knows nothing else of the action.
#include <cstdint>
#include <string>
#include <string_view>

namespace zt {

class TMLgExtTools;

// Message kinds of the host's message list.
enum KindKomunikatu : int { kInfo = 0, kWarning = 1, kError = 2 };

class HostServices {
public:
    // Text module of the driver's own texts.
    static constexpr std::string_view kDriverModule = "ztcombo_cbaction";

    // A new status line (label); mode and maximum of its progress.
    virtual void Postep(const std::string& text, int mode, int maximum = 100) = 0;
    virtual void PostepPozycja(int position) = 0;
    // The status line's state: 0 done ("OK"), 1 failed, others as the host knows them.
    virtual void PostepTryb(int mode) = 0;
    virtual void Komunikat(int kind, const std::string& text) = 0;
    // True when the host asks the operation to stop.
    virtual bool CzyPrzerwac() = 0;

    // A text looked up under (module, key) in the host's translation; def
    // (Windows-1250) when there is none.
    virtual std::string Tekst(std::string_view module, std::string_view key, std::string_view def) const = 0;
    // The host's translation object (null when none was registered).
    virtual const TMLgExtTools* Tlumacz() const = 0;

    // With its trailing separator, as the host gave it.
    virtual const std::string& KatalogRoboczy() const = 0;
    virtual std::int32_t NumerKasy() const = 0;

    // A text of the driver's module.
    std::string Tr(std::string_view key, std::string_view def) const { return Tekst(kDriverModule, key, def); }

protected:
    ~HostServices() = default;
};

}  // namespace zt
