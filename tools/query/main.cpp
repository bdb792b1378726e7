// velloran-query: the master query and a status query run without any window. Prints the answering
// servers and their players (a text table, or JSON with --json) and the servers that stayed silent.
// Talks to a master inside 127.0.0.0/8 unless --allow-remote is given; writes no settings or files.
#include "Report.h"
#include "net/Error.h"
#include "query/MasterQuery.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int PROGRESS_MS = 500;

const char USAGE[] =
    "usage: velloran-query --master HOST[:PORT] [--master ...] [--protocol N] [--speed 0..5]\n"
    "                      [--full] [--empty] [--json] [--allow-remote]\n"
    "  --master HOST[:PORT]  a master server, port 27950 when left out; may be given more than once,\n"
    "                      or as a list \"HOST:PORT;HOST:PORT\" (inside 127.0.0.0/8 unless --allow-remote)\n"
    "  --protocol N        protocol number sent to the master (default 84, ET 2.60b and ET: Legacy)\n"
    "  --speed 0..5        Modem, ISDN, ISDN128, DSL, DSL*2, DSL*4: 2^N requests per 200 ms\n"
    "                      (default 5)\n"
    "  --full, --empty     ask the master for full and for empty servers too\n"
    "  --json              print JSON instead of tables\n";

struct Options {
    std::string masters; // "host:port;host:port"
    int protocol = 84;
    int speed = query::SPEED_CLASS_COUNT - 1;
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

// Empty text when the arguments are fine, otherwise what is wrong.
std::string ParseArguments(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--full")
            o.full = true;
        else if (arg == "--empty")
            o.empty = true;
        else if (arg == "--json")
            o.json = true;
        else if (arg == "--allow-remote")
            o.allowRemote = true;
        else if (arg == "--master" && hasValue)
            o.masters += (o.masters.empty() ? "" : ";") + std::string(argv[++i]);
        else if (arg == "--protocol" && hasValue) {
            if (!ReadInt(argv[++i], 0, 65535, o.protocol))
                return "bad protocol number \"" + std::string(argv[i]) + "\"";
        } else if (arg == "--speed" && hasValue) {
            if (!ReadInt(argv[++i], 0, query::SPEED_CLASS_COUNT - 1, o.speed))
                return "bad speed class \"" + std::string(argv[i]) + "\" (0 to 5)";
        } else
            return "unknown or incomplete argument \"" + arg + "\"";
    }
    if (o.masters.empty())
        return "--master is required";
    return "";
}

void Progress(const query::CQueryRun& run, int total, bool final) {
    std::fprintf(stderr, "\rservers: %d of %d done%s", total - run.ServersToQuery(), total,
                 final ? "\n" : "");
    std::fflush(stderr);
}

// The masters looked up, or what keeps them from being asked.
std::string ResolveAllowed(const Options& o, std::vector<query::CMasterStatus>& masters) {
    std::vector<query::SMasterEntry> entries;
    std::string problem = query::ParseMasterList(o.masters, entries);
    if (!problem.empty())
        return problem;
    masters = query::ResolveMasters(entries);
    for (const query::CMasterStatus& m : masters) {
        if (!m.resolved)
            return "cannot resolve the master \"" + m.name + "\"";
        if ((m.address.GetAddress() >> 24) != 127 && !o.allowRemote)
            return "refusing master " + m.address.ToText() +
                   " outside 127.0.0.0/8 (--allow-remote permits it)";
    }
    return "";
}

int Run(const Options& o) {
    std::vector<query::CMasterStatus> masters;
    std::string problem = ResolveAllowed(o, masters);
    if (!problem.empty())
        return Fail(problem, 1);

    std::fprintf(stderr, "asking %zu master server(s) ...\n", masters.size());
    const query::CMasterResult result =
        query::QueryMasters(masters, query::BuildMasterRequest(o.protocol, o.full, o.empty));
    if (result.outcome != query::MasterOutcome::COLLECTED)
        return Fail(query::MasterOutcomeText(result), 1);
    for (const std::string& note : {query::MasterOutcomeText(result), query::MasterCapText(result)})
        if (!note.empty())
            std::fprintf(stderr, "%s\n", note.c_str());
    query::CServerCollection servers;
    query::StoreServers(result, servers);
    std::fprintf(stderr, "masters listed %zu servers; querying at speed %s\n", servers.Count(),
                 query::SPEED_CLASS_NAMES[o.speed]);

    query::CQueueSink sink;
    query::CQueryRun run(servers, sink);
    run.SetSpeedIndex(o.speed);
    run.StartWorker();
    const int total = run.ServersToQuery();
    std::string error;
    int64_t lastProgress = net::ReadCounter();
    for (query::CQueryEvent event;
         !(event.kind == query::CQueryEvent::WORKER_END && event.run == run.RunNumber());) {
        if (sink.Next(event, PROGRESS_MS)) {
            if (event.kind == query::CQueryEvent::SERVER_DONE)
                run.AcceptResult(event.run);
            else if (event.kind == query::CQueryEvent::WORKER_ERROR)
                error = event.message;
        }
        if (net::ElapsedMs(lastProgress) >= PROGRESS_MS) {
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
    Options options;
    std::string problem = ParseArguments(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr, "velloran-query: %s\n%s", problem.c_str(), USAGE);
        return 2;
    }
    try {
        return Run(options);
    } catch (const net::CError& e) {
        return Fail(e.Message(), 1);
    } catch (const std::exception& e) {
        return Fail(e.what(), 1);
    }
}
