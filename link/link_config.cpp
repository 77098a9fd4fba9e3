// Kept apart: the driver's configuration header and the transport interface
// both declare a zt::Transport, so no file includes both.
#include "link/link_config.h"

#include "link/combo_link.h"
#include "plugin/combo_config.h"

namespace zt {

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

TComboLink::TComboLink(TZTActionBase& action, const ComboConfig& config, std::shared_ptr<LinkFactory> factory)
    : TComboLink(action, [&config] { return MakeLinkConfig(config); }, std::move(factory)) {}

}  // namespace zt
