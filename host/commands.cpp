#include "host/commands.h"

#include <stdexcept>
#include <string>

#include "host/host_buffer.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

constexpr int kParamGroupFirst = 101;
constexpr int kParamGroupLast = 107;
constexpr int kMaxIndex = 1000;  // bound for enumerations the plug-in ends itself
constexpr int kWindows = 7;
const int kProperties[] = {1, 2, 3, 102, 103, 104, 105};

template <std::size_t N>
std::string textOf(HostBuffer<N>& b, Console& out, const char* call) {
    std::string t = b.text();
    if (b.overrun()) out.line(std::string("[HOST] ") + call + " wrote past its " + std::to_string(N) + "-byte buffer");
    return t;
}

// "label: text", further lines of the text indented under the first.
void printIndented(Console& out, const std::string& label, const std::string& cp1250) {
    std::string text = Console::printable(cp1250, "\t");
    std::string pad(label.size(), ' ');
    std::size_t start = 0;
    bool first = true;
    do {
        std::size_t nl = text.find('\n', start);
        out.line((first ? label : pad) + text.substr(start, nl == std::string::npos ? nl : nl - start));
        first = false;
        start = nl == std::string::npos ? text.size() + 1 : nl + 1;
    } while (start <= text.size());
}

bool isListType(int type) { return type == 3 || type == 7; }

// The library registered with the host value, released on every path.
class Registration {
public:
    Registration(const PluginApi& api, BenchHost& host) : api_(api) {
        library_ = api.RejestrujBiblioteke(BenchHost::kHostValue, 0, 0, nullptr);
        if (!library_) throw std::runtime_error("QORDLLRejestrujBiblioteke returned no library");
        host.registerCallbacks(api, library_);
    }
    ~Registration() { api_.ZwolnijBiblioteke(library_); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    void* library() const { return library_; }

private:
    const PluginApi& api_;
    void* library_ = nullptr;
};

void runOperation(const PluginApi& api, void* library, const BenchOptions& o, Console& out, std::int32_t operation,
                  std::int32_t extra) {
    QORSesja record{o.sessionType};
    std::string name = "sesja " + std::to_string(o.sessionValue());
    Text301 text(name);
    out.line("operation " + std::to_string(operation) + ", extra " + std::to_string(extra) + ", session '" + name +
             "'");
    std::int32_t result = api.SerKasOperacja(library, o.sessionValue(), &record, text.get(), operation, extra);
    std::string back = textOf(text, out, "QORDLLSerKasOperacja");
    out.endStatus();
    if (back != name) out.line("text: " + toUtf8(back));
    out.line("result: " + std::to_string(result));
}

}  // namespace

int commandProperties(const PluginApi& api, Console& out) {
    out.line("library type: " + std::to_string(api.TypBiblioteki()));
    for (int p : kProperties) {
        Text301 b;
        api.Wlasciwosci(b.get(), p);
        printIndented(out, "property " + std::to_string(p) + ": ", textOf(b, out, "QORDLLWlasciwosci"));
    }
    return 0;
}

int commandParams(const PluginApi& api, Console& out) {
    out.line("group\tindex\ttype\tflags\tkey\tdefault\tmin\tmax\tdescription");
    for (int group = kParamGroupFirst; group <= kParamGroupLast; ++group) {
        for (int index = 0; index < kMaxIndex; ++index) {
            Text301 key, desc, def, min, max;
            std::int32_t flags = 0;
            std::int32_t type =
                api.Parametr(group, index, key.get(), desc.get(), def.get(), min.get(), max.get(), &flags);
            if (type == 0) break;
            std::string k = textOf(key, out, "QORDLLParametr");
            std::string fields[] = {k, textOf(def, out, "QORDLLParametr"), textOf(min, out, "QORDLLParametr"),
                                    textOf(max, out, "QORDLLParametr"), textOf(desc, out, "QORDLLParametr")};
            std::string row = std::to_string(group) + "\t" + std::to_string(index) + "\t" + std::to_string(type) +
                              "\t" + std::to_string(flags);
            for (const std::string& f : fields) row += "\t" + Console::printable(f, " ");
            out.line(row);
            if (!isListType(type)) continue;
            for (int item = 0; item < kMaxIndex; ++item) {
                Text301 t;
                std::int32_t r = api.TekstListyParametru(k.c_str(), item, t.get());
                std::string text = textOf(t, out, "QORDLLTekstListyParametru");
                if (r == 0) break;
                out.line("\t\t[" + std::to_string(item) + "] " + Console::printable(text, " "));
            }
        }
    }
    return 0;
}

int commandWindows(const PluginApi& api, Console& out) {
    for (int w = 0; w < kWindows; ++w) {
        Text301 b;
        std::int32_t r = api.SerKasOpisOkna(b.get(), w);
        out.line("window " + std::to_string(w) + ": " + std::to_string(r) + "\t" +
                 Console::printable(textOf(b, out, "QORDLLSerKasOpisOkna"), " "));
    }
    return 0;
}

namespace {

int sessionCommand(const PluginApi& api, BenchHost& host, const BenchOptions& o, Console& out) {
    Registration reg(api, host);
    void* lib = reg.library();
    std::int32_t session = o.sessionValue();
    switch (o.command) {
        case BenchCommand::Run: runOperation(api, lib, o, out, o.arg1, o.arg2); return 0;
        case BenchCommand::Window: {
            std::int32_t operation = -1;
            Text301 name;
            std::int32_t r = api.SerKasPokazOkno(lib, session, o.arg1, 1, &operation, name.get());
            std::string n = textOf(name, out, "QORDLLSerKasPokazOkno");
            out.endStatus();
            out.line("window " + std::to_string(o.arg1) + ": result " + std::to_string(r) + ", operation " +
                     std::to_string(operation) + ", name '" + toUtf8(n) + "'");
            if (r == 1) runOperation(api, lib, o, out, -8, operation);
            return 0;
        }
        case BenchCommand::DeviceProperty: {
            Text301 b;
            api.WlasciwosciUrzadzenia(lib, session, b.get(), o.arg1);
            std::string t = textOf(b, out, "QORDLLWlasciwosciUrzadzenia");
            out.endStatus();
            out.line("device property " + std::to_string(o.arg1) + ": " + toUtf8(t));
            return 0;
        }
        case BenchCommand::FindReceipt: {
            std::int32_t printout = 0, second = 0, receipt = 0;
            std::int32_t r = api.SerKasJakSzukacParagonu(lib, session, &printout, &second, &receipt);
            out.endStatus();
            out.line("result: " + std::to_string(r) + ", printout: " + std::to_string(printout) +
                     ", second: " + std::to_string(second) + ", receipt: " + std::to_string(receipt));
            return 0;
        }
        case BenchCommand::Resource: {
            Text301 b;
            api.SerKasNazwaZasobuDzielonego(lib, session, b.get());
            std::string t = textOf(b, out, "QORDLLSerKasNazwaZasobuDzielonego");
            out.endStatus();
            out.line("resource: " + toUtf8(t));
            return 0;
        }
        default: throw std::logic_error("not a session command");
    }
}

}  // namespace

int runSessionCommand(const PluginApi& api, BenchHost& host, const BenchOptions& o, Console& out) {
    const int status = sessionCommand(api, host, o, out);
    // The plug-in's results say nothing of success (an operation returns 0
    // either way); its error messages do.
    return status == 0 && host.errorMessages() > 0 ? 1 : status;
}

}  // namespace zt
