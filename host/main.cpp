// zthost: the host bench. Loads the ztcombo plug-in by path and plays the
// host's part for one command.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/bench_host.h"
#include "host/commands.h"
#include "host/console.h"
#include "host/interrupt.h"
#include "host/options.h"
#include "host/params_file.h"
#include "host/plugin_api.h"
#include "host/translation_file.h"

namespace {

// The working directory as the host passes it: absolute, with a trailing separator.
std::string workDirectory(const std::string& given) {
    namespace fs = std::filesystem;
    fs::path dir = (given.empty() ? fs::current_path() : fs::absolute(fs::path(given))).lexically_normal();
    if (!fs::is_directory(dir)) throw std::runtime_error("the working directory '" + given + "' does not exist");
    std::string s = dir.make_preferred().string();
#if defined(_WIN32)
    const char sep = '\\';
#else
    const char sep = '/';
#endif
    if (s.empty() || s.back() != sep) s += sep;
    return s;
}

int runBench(const zt::BenchOptions& o, const char* argv0) {
    zt::Console console(stdout, zt::isTerminal(stdout));
    std::string path = o.plugin.empty() ? zt::defaultPluginPath(argv0) : o.plugin;
    zt::PluginApi api(path);
    switch (o.command) {
        case zt::BenchCommand::Properties: return zt::commandProperties(api, console);
        case zt::BenchCommand::Params: return zt::commandParams(api, console);
        case zt::BenchCommand::Windows: return zt::commandWindows(api, console);
        default: break;
    }
    zt::ParamsFile params = o.paramsFile.empty() ? zt::ParamsFile() : zt::ParamsFile::load(o.paramsFile);
    zt::TranslationFile texts;
    if (!o.translationsFile.empty()) texts = zt::TranslationFile::load(o.translationsFile);
    zt::BenchHost host(o, console, std::move(params), std::move(texts), !o.translationsFile.empty(),
                       workDirectory(o.workDir));
    zt::InterruptGuard interrupt;
    return zt::runSessionCommand(api, host, o, console);
}

}  // namespace

int main(int argc, char** argv) {
    zt::prepareOutput();
    std::vector<std::string> args(argv + 1, argv + argc);
    zt::ParsedOptions parsed = zt::parseOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zthost: %s\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(zt::usageText().c_str(), stdout);
        return 0;
    }
    try {
        return runBench(parsed.options, argc > 0 ? argv[0] : nullptr);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "zthost: error: %s\n", e.what());
        return 1;
    }
}
