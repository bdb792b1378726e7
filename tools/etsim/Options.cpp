#include "Options.h"

#include "Wire.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

namespace etsim {

const char* const kUsage =
    R"(usage: etsim [options]
A master server and N game servers on loopback (127.0.0.0/8 only).
  --config FILE            JSON object of options (names without dashes), applied where it stands
  --seed N                 seed of every random choice (default 1)
  --servers N              number of game servers (default 10)
  --base-address A|auto    first server address in 127.0.0.0/8 (default auto: a free 127.A.B.1)
  --ports-per-address K    servers per address, on consecutive ports (default 1)
  --base-port P            first port of each address (default 27960)
  --master A:P             master address (default 127.0.0.1:0, port chosen by the system)
  --protocol N             protocol the master answers and the servers report (default 84)
  --players MIN-MAX        players on servers that are neither empty nor full (default 1-64)
  --empty AMOUNT           servers without players (default 30%)
  --full AMOUNT            servers with sv_maxclients players (default 10%)
  --latency MIN-MAX        per-server reply delay in ms (default 0-0)
  --jitter MS              extra random delay per reply, 0..MS (default 0)
  --master-latency MIN-MAX master reply delay in ms (default 0-0)
  --loss P                 probability a status request goes unanswered (default 0)
  --silent AMOUNT          servers that never answer
  --second-only AMOUNT     servers that answer only every second request (2nd, 4th, ...)
  --malformed AMOUNT       servers with malformed replies
  --malformed-kinds LIST   comma list of garbage,truncated,huge,hostile (default the first three, in
                           turn); hostile: 64 KiB of huge team lists and blank player lines
  --huge-bytes N           size of a huge reply (default 60000)
  --duplicates AMOUNT      servers listed twice by the master
  --odd-entries AMOUNT     servers whose address/port bytes hold 00 and 5C (at most 1024)
  --odd-case AMOUNT        servers sending variable names in upper or mixed case
  --legacy AMOUNT          servers that publish "P" (one character per slot) and no team lists
  --masters K              masters, each listing about 2/K of the servers (overlapping; default 1)
  --silent-masters N       the last N of the masters never answer (default 0)
  --foreign-masters N      extra masters that answer from another port than they were asked on
  --per-datagram N         master entries per reply datagram (default 100)
  --master-answer WHICH    all | never | K (only the K-th request) | K+ (the K-th and later)
  --lifetime SECONDS       exit by itself after this time (default: run until signalled)
  --log FILE               event log, written at exit and on SIGUSR1
  --log-limit N            events kept for the log (default 5000000)
  --dump FILE              generated configuration as JSON, written at start-up
  --ready FILE             master address, written once every socket is bound
  --quiet                  print nothing but the master address
AMOUNT is a count ("10"), a fraction ("0.1") or a percentage ("10%").
)";

size_t SAmount::Of(size_t total) const {
    if (!fraction)
        return std::min(total, static_cast<size_t>(value));
    return std::min(total, static_cast<size_t>(std::llround(value * static_cast<double>(total))));
}

namespace {

template <typename T> bool ReadNumber(const std::string& text, T& out) {
    auto [next, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && next == text.data() + text.size() && !text.empty();
}

bool ReadDouble(const std::string& text, double& out) {
    try {
        size_t used = 0;
        out = std::stod(text, &used);
        return used == text.size() && std::isfinite(out);
    } catch (const std::exception&) {
        return false;
    }
}

bool ReadAmount(const std::string& text, SAmount& out) {
    if (text.ends_with("%")) {
        double v = 0;
        if (!ReadDouble(text.substr(0, text.size() - 1), v) || v < 0 || v > 100)
            return false;
        out = {true, v / 100};
        return true;
    }
    if (text.find_first_of(".eE") != std::string::npos) {
        double v = 0;
        if (!ReadDouble(text, v) || v < 0 || v > 1)
            return false;
        out = {true, v};
        return true;
    }
    size_t n = 0;
    if (!ReadNumber(text, n))
        return false;
    out = {false, static_cast<double>(n)};
    return true;
}

bool ReadRange(const std::string& text, SRange& out) {
    size_t dash = text.find('-', 1);
    std::string lo = text.substr(0, dash);
    std::string hi = dash == std::string::npos ? lo : text.substr(dash + 1);
    SRange r;
    if (!ReadNumber(lo, r.min) || !ReadNumber(hi, r.max) || r.min < 0 || r.max < r.min)
        return false;
    out = r;
    return true;
}

bool ReadMasterAnswer(const std::string& text, SOptions& o) {
    if (text == "all") {
        o.masterAnswer = MasterAnswer::All;
        return true;
    }
    if (text == "never") {
        o.masterAnswer = MasterAnswer::Never;
        return true;
    }
    bool from = text.ends_with("+");
    int k = 0;
    if (!ReadNumber(from ? text.substr(0, text.size() - 1) : text, k) || k < 1)
        return false;
    o.masterAnswer = from ? MasterAnswer::From : MasterAnswer::Only;
    o.masterAnswerK = k;
    return true;
}

bool ReadKinds(const std::string& text, std::vector<std::string>& out) {
    std::vector<std::string> kinds;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos)
            comma = text.size();
        std::string kind = text.substr(pos, comma - pos);
        if (kind != "garbage" && kind != "truncated" && kind != "huge" && kind != "hostile")
            return false;
        kinds.push_back(kind);
        pos = comma + 1;
    }
    out = kinds;
    return !kinds.empty();
}

using Setter = std::function<bool(SOptions&, const std::string&)>;

const std::map<std::string, Setter>& Setters() {
    static const std::map<std::string, Setter> setters = {
        {"seed", [](SOptions& o, const std::string& v) { return ReadNumber(v, o.seed); }},
        {"servers", [](SOptions& o, const std::string& v) { return ReadNumber(v, o.servers); }},
        {"base-address",
         [](SOptions& o, const std::string& v) {
             o.baseAddress = v;
             return v == "auto" || ParseIp(v).has_value();
         }},
        {"ports-per-address",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.portsPerAddress) && o.portsPerAddress > 0;
         }},
        {"base-port",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.basePort) && o.basePort > 0 && o.basePort < 65536;
         }},
        {"master",
         [](SOptions& o, const std::string& v) {
             o.master = v;
             return ParseEndpoint(v).has_value();
         }},
        {"protocol", [](SOptions& o, const std::string& v) { return ReadNumber(v, o.protocol); }},
        {"players", [](SOptions& o, const std::string& v) { return ReadRange(v, o.players); }},
        {"empty", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.emptyServers); }},
        {"full", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.fullServers); }},
        {"latency", [](SOptions& o, const std::string& v) { return ReadRange(v, o.latency); }},
        {"jitter",
         [](SOptions& o, const std::string& v) { return ReadNumber(v, o.jitter) && o.jitter >= 0; }},
        {"master-latency", [](SOptions& o, const std::string& v) { return ReadRange(v, o.masterLatency); }},
        {"loss", [](SOptions& o,
                    const std::string& v) { return ReadDouble(v, o.loss) && o.loss >= 0 && o.loss <= 1; }},
        {"silent", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.silent); }},
        {"second-only", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.secondOnly); }},
        {"malformed", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.malformed); }},
        {"malformed-kinds", [](SOptions& o, const std::string& v) { return ReadKinds(v, o.malformedKinds); }},
        {"huge-bytes",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.hugeBytes) && o.hugeBytes >= 2000 && o.hugeBytes <= 65000;
         }},
        {"duplicates", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.duplicates); }},
        {"odd-entries", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.oddEntries); }},
        {"odd-case", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.oddCase); }},
        {"legacy", [](SOptions& o, const std::string& v) { return ReadAmount(v, o.legacy); }},
        {"masters",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.masters) && o.masters >= 1 && o.masters <= 16;
         }},
        {"silent-masters", [](SOptions& o, const std::string& v) { return ReadNumber(v, o.silentMasters); }},
        {"foreign-masters",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.foreignMasters) && o.foreignMasters <= 4;
         }},
        {"per-datagram",
         [](SOptions& o, const std::string& v) {
             return ReadNumber(v, o.perDatagram) && o.perDatagram > 0 && o.perDatagram <= 9000;
         }},
        {"master-answer", [](SOptions& o, const std::string& v) { return ReadMasterAnswer(v, o); }},
        {"lifetime",
         [](SOptions& o, const std::string& v) { return ReadDouble(v, o.lifetime) && o.lifetime >= 0; }},
        {"log", [](SOptions& o, const std::string& v) { return !(o.logFile = v).empty(); }},
        {"log-limit", [](SOptions& o, const std::string& v) { return ReadNumber(v, o.logLimit); }},
        {"dump", [](SOptions& o, const std::string& v) { return !(o.dumpFile = v).empty(); }},
        {"ready", [](SOptions& o, const std::string& v) { return !(o.readyFile = v).empty(); }},
    };
    return setters;
}

bool Apply(SOptions& o, const std::string& name, const std::string& value, std::string& error) {
    if (name == "config")
        return ApplyConfigFile(value, o, error);
    if (name == "quiet") {
        o.quiet = value != "false" && value != "0";
        return true;
    }
    auto it = Setters().find(name);
    if (it == Setters().end()) {
        error = "unknown option --" + name;
        return false;
    }
    if (!it->second(o, value)) {
        error = "bad value for --" + name + ": \"" + value + "\"";
        return false;
    }
    return true;
}

} // namespace

bool ParseArguments(const std::vector<std::string>& args, SOptions& opts, std::string& error, bool& help) {
    help = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            return true;
        }
        if (!arg.starts_with("--")) {
            error = "unexpected argument \"" + arg + "\"";
            return false;
        }
        std::string name = arg.substr(2);
        std::string value;
        size_t eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (name == "quiet") {
            value = "true";
        } else {
            if (i + 1 >= args.size()) {
                error = "missing value for --" + name;
                return false;
            }
            value = args[++i];
        }
        if (!Apply(opts, name, value, error))
            return false;
    }
    return true;
}

bool ApplyConfigFile(const std::string& path, SOptions& opts, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read config file " + path;
        return false;
    }
    nlohmann::json config;
    try {
        config = nlohmann::json::parse(in);
    } catch (const std::exception& e) {
        error = "config file " + path + ": " + e.what();
        return false;
    }
    if (!config.is_object()) {
        error = "config file " + path + " must hold a JSON object";
        return false;
    }
    for (const auto& [key, value] : config.items()) {
        std::string text;
        if (value.is_string())
            text = value.get<std::string>();
        else if (value.is_boolean())
            text = value.get<bool>() ? "true" : "false";
        else if (value.is_number_integer() || value.is_number_unsigned())
            text = value.dump();
        else if (value.is_number_float()) {
            text = value.dump();
            if (text.find_first_of(".eE") == std::string::npos)
                text += ".0";
        } else if (value.is_array() && key == "malformed-kinds") {
            for (const auto& k : value)
                text += (text.empty() ? "" : ",") + k.get<std::string>();
        } else {
            error = "config file " + path + ": bad value for \"" + key + "\"";
            return false;
        }
        if (!Apply(opts, key, text, error)) {
            error = "config file " + path + ": " + error;
            return false;
        }
    }
    return true;
}

bool CheckOptions(const SOptions& o, std::string& error) {
    if (o.baseAddress != "auto" && !IsLoopback(*ParseIp(o.baseAddress))) {
        error = "refusing --base-address " + o.baseAddress + ": etsim binds only inside 127.0.0.0/8";
        return false;
    }
    auto master = ParseEndpoint(o.master);
    if (!master || !IsLoopback(master->ip)) {
        error = "refusing --master " + o.master + ": etsim binds only inside 127.0.0.0/8";
        return false;
    }
    if (o.silentMasters >= o.masters) {
        error = "--silent-masters must leave at least one of the --masters answering";
        return false;
    }
    if (o.basePort + o.portsPerAddress - 1 > 65535) {
        error = "--base-port plus --ports-per-address goes past port 65535";
        return false;
    }
    if (o.servers > 60000) {
        error = "--servers is limited to 60000";
        return false;
    }
    return true;
}

} // namespace etsim
