#include "drivers/combo/combo_config.h"

#include "action/action_base.h"
#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace zt {

GroupMapStorage GroupMapStorageOf(TZTActionBase& a) {
    return {[&a](std::string_view name, int count) { return a.WlasnyParametrDlugi(name, count); },
            [&a](std::string_view name, std::string_view value, int count) {
                a.ZapiszWlasnyParametrDlugi(name, value, count);
            }};
}

LinkConfig MakeLinkConfig(const ComboConfig& c) {
    LinkConfig l;
    switch (c.transport) {
        case TransportKind::Serial: l.transport = LinkConfig::Serial; break;
        case TransportKind::Tcp: l.transport = LinkConfig::Tcp; break;
        default: l.transport = LinkConfig::File; break;
    }
    l.port = c.port;
    l.multiplexerChannel = c.multiplexerChannel;
    l.debug = c.debug;
    l.impMode = c.impMode;
    return l;
}

void ReadLinkParameters(TZTActionBase& a, LinkConfig& l) {
    l.speed = a.ParametrInt("ComboSpeed");
    l.modemPhone = a.Parametr("ComboModemPhone");
    l.modemTimeout = a.ParametrInt("ComboModemTimeout");
    l.complexTimeout = a.ParametrInt("ComboComplexOrdTimeout");
    l.ipAddress = a.Parametr("ComboIpAddress");
    l.ipPort = a.Parametr("ComboIpPort");
    l.cardServer.use = a.ParametrInt("ComboSkpUse") != 0;
    l.cardServer.host = a.Parametr("ComboSkpIp");
    l.cardServer.port = a.Parametr("ComboSkpPort");
}

ComboConfig LoadComboConfig(TZTActionBase& a) {
    ComboConfig c;
    c.port = a.Parametr("ComboPort");
    if (c.port == trc("TZTComboReadParaifport", "PLIK"))
        c.transport = TransportKind::File;
    else if (c.port == "TCP/IP")
        c.transport = TransportKind::Tcp;
    else
        c.transport = TransportKind::Serial;
    c.multiplexerChannel = a.ParametrInt("ComboKanMul");
    c.groupMap = LoadGroupMap(GroupMapStorageOf(a));
    c.debug = a.ParametrInt("ComboDedbug") != 0;
    c.progressTow = a.ParametrInt("ComboProgressTow") != 0;
    c.priceLevel = a.ParametrInt("PoziomCen");
    c.impMode = a.ParametrInt("ComboImpMode") != 0;
    c.towIdParag = a.ParametrInt("ComboTowIdParag");
    c.oneAsortOnly = a.ParametrInt("ComboOneAsortOnly") != 0;
    c.kwKodPocz = a.ParametrInt("ComboKwKodPocz");
    c.kwKodKonc = a.ParametrInt("ComboKwKodKonc");
    c.kwPrzedr = a.ParametrInt("ComboKwPrzedr");
    c.productFlag = a.ParametrInt("ComboProductFlag");
    c.groupOverwrite = a.ParametrInt("ComboGroupOverwrite") != 0;
    c.ediFolder = a.ParametrKatalog("ComboEdiFolder");
    // The host's form on every system; the file helpers convert it where needed.
    if (c.ediFolder.empty() || (c.ediFolder.back() != '\\' && c.ediFolder.back() != '/')) c.ediFolder += '\\';

    if (c.towIdParag == 1 && c.kwKodPocz != c.kwKodKonc) {
        const std::string prefix = format("%02d", c.kwPrzedr);
        for (const auto& f : a.ListaTekstow())
            if (f.compare(0, 2, prefix) == 0) {
                c.weighedFormat = f;
                break;
            }
        if (c.weighedFormat.empty()) {
            const std::string def =
                pl("UWAGA! W konfiguracji kasy zdefiniowano format kodów ważonych %02d dla zakresu kodów, "
                   "lecz nie ma takiego formatu w konfiguracji programu.");
            const std::string text = formatTemplate(trc("TZTComboReadParaKwFormat", def), def);
            a.Komunikat(kWarning, format(text.c_str(), c.kwPrzedr));
        }
    }
    c.link = MakeLinkConfig(c);
    ReadLinkParameters(a, c.link);
    return c;
}

}  // namespace zt
