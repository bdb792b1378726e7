// velloran-query: the master query and a status query run without any window. Prints the answering
// servers and their players (a text table, or JSON with --json) and the servers that stayed silent.
// Talks to a master inside 127.0.0.0/8 unless --allow-remote is given; writes no settings or files.
#include "Report.h"
#include "base/Error.h"
#include "query/MasterQuery.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"
#include "velloran/Version.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kProgressMs = 500;

const char kUsage[] =
    "usage: velloran-query --master HOST[:PORT] [--master ...] [--protocol N] [--speed 0..5]\n"
    "                      [--full] [--empty] [--json] [--allow-remote] [--help] [--version]\n"
    "  --master HOST[:PORT]  a master server, port 27950 when left out; may be given more than once,\n"
    "                      or as a list \"HOST:PORT;HOST:PORT\" (inside 127.0.0.0/8 unless --allow-remote)\n"
    "  --protocol N        protocol number sent to the master (default 84, ET 2.60b and ET: Legacy)\n"
    "  --speed 0..5        Modem, ISDN, ISDN128, DSL, DSL*2, DSL*4: 2^N requests per 200 ms\n"
    "                      (default 5)\n"
    "  --full, --empty     ask the master for full and for empty servers too\n"
    "  --json              print JSON instead of tables\n"
    "  --help, --version   this text; the version\n";

struct SOptions {
    std::string masters; // "host:port;host:port"
    int protocol = 84;
    int speed = query::kSpeedClassCount - 1;
    bool full = false, empty = false, json = false, allowRemote = false;
};

int Fail(const std::string& message, int code) {
    std::fprintf(stderr, "velloran-query: %s\n", message.c_str());
    return code;
}

bool ReadInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

enum class Parsed { RUN, HELP, VERSION };

// What to do; throws std::invalid_argument with what is wrong in the arguments.
Parsed ParseArguments(int argc, char** argv, SOptions& o) {
    enum {
        MASTER = 'm',
        PROTOCOL = 'p',
        SPEED = 's',
        FULL = 'f',
        EMPTY = 'e',
        JSON = 'j',
        REMOTE = 'r',
        HELP = 'h',
        VERSION = 'V'
    };
    static const option kLong[] = {
        {"master", required_argument, nullptr, MASTER}, {"protocol", required_argument, nullptr, PROTOCOL},
        {"speed", required_argument, nullptr, SPEED},   {"full", no_argument, nullptr, FULL},
        {"empty", no_argument, nullptr, EMPTY},         {"json", no_argument, nullptr, JSON},
        {"allow-remote", no_argument, nullptr, REMOTE}, {"help", no_argument, nullptr, HELP},
        {"version", no_argument, nullptr, VERSION},     {nullptr, 0, nullptr, 0}};
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, ":", kLong, nullptr)) != -1;) {
        switch (c) {
        case MASTER:
            o.masters += (o.masters.empty() ? "" : ";") + std::string(optarg);
            break;
        case PROTOCOL:
            if (!ReadInt(optarg, 0, 65535, o.protocol))
                throw std::invalid_argument("bad protocol number \"" + std::string(optarg) + "\"");
            break;
        case SPEED:
            if (!ReadInt(optarg, 0, query::kSpeedClassCount - 1, o.speed))
                throw std::invalid_argument("bad speed class \"" + std::string(optarg) + "\" (0 to 5)");
            break;
        case FULL:
            o.full = true;
            break;
        case EMPTY:
            o.empty = true;
            break;
        case JSON:
            o.json = true;
            break;
        case REMOTE:
            o.allowRemote = true;
            break;
        case HELP:
            return Parsed::HELP;
        case VERSION:
            return Parsed::VERSION;
        case ':':
            throw std::invalid_argument(std::string(argv[optind - 1]) + " needs a value");
        default:
            throw std::invalid_argument("unknown argument \"" + std::string(argv[optind - 1]) + "\"");
        }
    }
    if (optind < argc)
        throw std::invalid_argument("unexpected argument \"" + std::string(argv[optind]) + "\"");
    if (o.masters.empty())
        throw std::invalid_argument("--master is required");
    return Parsed::RUN;
}

void Progress(const query::CQueryRun& run, int total, bool final) {
    std::fprintf(stderr, "\rservers: %d of %d done%s", total - run.ServersToQuery(), total,
                 final ? "\n" : "");
    std::fflush(stderr);
}

// The masters looked up, or what keeps them from being asked.
std::string ResolveAllowed(const SOptions& o, std::vector<query::SMasterStatus>& masters) {
    std::vector<query::SMasterEntry> entries;
    std::string problem = query::ParseMasterList(o.masters, entries);
    if (!problem.empty())
        return problem;
    masters = query::ResolveMasters(entries);
    for (const query::SMasterStatus& m : masters) {
        if (!m.resolved)
            return "cannot resolve the master \"" + m.name + "\"";
        if ((m.address.GetAddress() >> 24) != 127 && !o.allowRemote)
            return "refusing master " + m.address.ToText() +
                   " outside 127.0.0.0/8 (--allow-remote permits it)";
    }
    return "";
}

int Run(const SOptions& o) {
    std::vector<query::SMasterStatus> masters;
    std::string problem = ResolveAllowed(o, masters);
    if (!problem.empty())
        return Fail(problem, 1);

    std::fprintf(stderr, "asking %zu master server(s) ...\n", masters.size());
    const query::SMasterResult result =
        query::QueryMasters(masters, query::BuildMasterRequest(o.protocol, o.full, o.empty));
    if (result.outcome != query::MasterOutcome::COLLECTED)
        return Fail(query::MasterOutcomeText(result), 1);
    for (const std::string& note : {query::MasterOutcomeText(result), query::MasterCapText(result)})
        if (!note.empty())
            std::fprintf(stderr, "%s\n", note.c_str());
    query::CServerCollection servers;
    query::StoreServers(result, servers);
    std::fprintf(stderr, "masters listed %zu servers; querying at speed %s\n", servers.Count(),
                 query::kSpeedClassNames[o.speed]);

    query::CQueueSink sink;
    query::CQueryRun run(servers, sink);
    run.SetSpeedIndex(o.speed);
    run.StartWorker();
    const int total = run.ServersToQuery();
    std::string error;
    int64_t lastProgress = net::ReadCounter();
    for (query::SQueryEvent event;
         !(event.kind == query::SQueryEvent::WORKER_END && event.run == run.RunNumber());) {
        if (sink.Next(event, kProgressMs)) {
            if (event.kind == query::SQueryEvent::SERVER_DONE)
                run.AcceptResult(event.run);
            else if (event.kind == query::SQueryEvent::WORKER_ERROR)
                error = event.message;
        }
        if (net::ElapsedMs(lastProgress) >= kProgressMs) {
            Progress(run, total, false);
            lastProgress = net::ReadCounter();
        }
    }
    run.StopWorker();
    Progress(run, total, true);
    if (!error.empty())
        return Fail(error, 1);

    std::string report = o.json ? queryreport::JsonReport(servers, o.protocol, result.masters)
                                : queryreport::TextReport(servers);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    SOptions options;
    Parsed parsed;
    try {
        parsed = ParseArguments(argc, argv, options);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "velloran-query: %s\n%s", e.what(), kUsage);
        return 2;
    }
    if (parsed == Parsed::HELP) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parsed == Parsed::VERSION) {
        std::printf("velloran-query %s\n", VELLORAN_VERSION);
        return 0;
    }
    try {
        return Run(options);
    } catch (const base::CError& e) {
        return Fail(e.Message(), 1);
    } catch (const std::exception& e) {
        return Fail(e.what(), 1);
    }
}
