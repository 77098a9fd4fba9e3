#pragma once
// The register's configuration as every operation reads it at its start.
#include <string>
#include <utility>
#include <vector>

#include "drivers/combo/group_map.h"
#include "link/link_config.h"

namespace zt {

class TZTActionBase;

enum class TransportKind { File, Serial, Tcp };

struct ComboConfig {
    std::string port;  // "ComboPort" as stored
    TransportKind transport = TransportKind::File;
    int multiplexerChannel = 0;  // "ComboKanMul"
    GroupMap groupMap;           // "ComboAsort": host group = register slot
    bool debug = false;          // "ComboDedbug": communication log
    bool progressTow = false;
    int priceLevel = 0;  // "PoziomCen"
    bool impMode = false;
    int towIdParag = 0;  // 0 by PLU, 1 by barcode
    bool oneAsortOnly = false;
    int kwKodPocz = 0, kwKodKonc = 0, kwPrzedr = 0;
    int productFlag = 0;
    bool groupOverwrite = false;
    std::string ediFolder;      // with a trailing separator
    std::string weighedFormat;  // the host's barcode format for the prefix, if any
    LinkConfig link;            // every setting of the register link
};

// Reads the configuration through the action's host services; throws when the
// EDI folder cannot be used.
ComboConfig LoadComboConfig(TZTActionBase& action);

// The link's line as the configuration chose it (port, multiplexer, log,
// receipt buffer); the other link settings stay as given.
LinkConfig MakeLinkConfig(const ComboConfig& config);
// Reads the link's other settings (speed, modem, report wait, TCP/IP address,
// card server) from the parameters into l.
void ReadLinkParameters(TZTActionBase& action, LinkConfig& l);

// Where the action keeps the group map: its own long parameter.
GroupMapStorage GroupMapStorageOf(TZTActionBase& action);

}  // namespace zt
