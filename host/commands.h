#pragma once
// The bench's commands: each drives the loaded plug-in as the host would and
// prints what it answers. Results are exit statuses (0 done, 1 failed).
#include "host/bench_host.h"
#include "host/console.h"
#include "host/options.h"
#include "host/plugin_api.h"

namespace zt {

// Library-level queries: no registration needed.
int commandProperties(const PluginApi& api, Console& out);
int commandParams(const PluginApi& api, Console& out);
int commandWindows(const PluginApi& api, Console& out);

// Session commands: register the library and every callback, call, release.
// 1 when the plug-in sent an error message meanwhile.
int runSessionCommand(const PluginApi& api, BenchHost& host, const BenchOptions& options, Console& out);

}  // namespace zt
