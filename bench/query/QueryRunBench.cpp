// A whole query (master phase and status run) over etsim servers on loopback, two masters and 1% silent
// servers: wall time against its bound (master phase, pacing, silent tail), the master phase's share,
// CPU time of the worker thread, replies lost, ping error against etsim's injected latency. Then the
// parse time of a hostile 64 KiB status reply.
//   query_run_bench [--servers 400,2000,5000] [--speeds 5]
#include "query/MasterQuery.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"
#include "query/engine/UdpPeers.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int LATENCY_MIN_MS = 20;
constexpr int LATENCY_MAX_MS = 80;
// A silent server started at the last tick is asked again and given up at the first tick more than
// 1200 ms after each request.
constexpr int SILENT_TAIL_MS = 2 * (1200 + query::kTickMs);

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double ThreadCpuMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Queues results and notes the worker thread's CPU time as its last act.
class CTimedSink : public query::CQueueSink {
public:
    void OnWorkerEnd(unsigned run) override {
        workerCpuMs = ThreadCpuMs();
        CQueueSink::OnWorkerEnd(run);
    }
    double workerCpuMs = 0;
};

struct CResult {
    int speed = 0;
    size_t servers = 0;
    double wallMs = 0, boundMs = 0, cpuMs = 0, masterMs = 0;
    size_t lost = 0;
    double meanPingError = 0, maxPingError = 0;
};

CResult RunOnce(const std::vector<query::SMasterEntry>& masters, const nlohmann::json& dump, int speed) {
    CResult r;
    r.speed = speed;
    const int64_t start = net::ReadCounter();
    const query::SMasterResult m =
        query::QueryMasters(query::ResolveMasters(masters), query::BuildMasterRequest(84, true, true));
    r.masterMs = static_cast<double>(net::ElapsedMs(start));
    if (m.outcome != query::MasterOutcome::COLLECTED)
        throw std::runtime_error(query::MasterOutcomeText(m));
    query::CServerCollection servers;
    query::StoreServers(m, servers);
    r.servers = servers.Count();

    CTimedSink sink;
    query::CQueryRun run(servers, sink);
    run.SetSpeedIndex(speed);
    run.StartWorker();
    for (query::SQueryEvent e; !(e.kind == query::SQueryEvent::WORKER_END && e.run == run.RunNumber());)
        if (sink.Next(e, 1000) && e.kind == query::SQueryEvent::SERVER_DONE)
            run.AcceptResult(e.run);
    r.wallMs = static_cast<double>(net::ElapsedMs(start)); // master phase included
    run.StopWorker();
    r.cpuMs = sink.workerCpuMs;

    // The master phase ends MASTER_EOT_GRACE_MS after the last list; then ceil(N / 2^speed) ticks, and
    // the silent tail of a server started at the last tick.
    const double ticks = std::ceil(static_cast<double>(r.servers) / query::RequestsPerTick(speed));
    r.boundMs = query::kMasterEotGraceMs + (ticks - 1) * query::kTickMs + SILENT_TAIL_MS;

    double sum = 0;
    size_t answered = 0;
    for (const auto& s : dump["servers"]) {
        const query::CGameServer* record = servers.Find(net::CSockAddr(s["address"].get<std::string>()));
        if (s["silent"].get<bool>())
            continue;
        if (!record || record->tries != query::kTriesAnswered) {
            ++r.lost;
            continue;
        }
        double error = std::abs(record->ping - s["latency_ms"].get<double>());
        sum += error;
        r.maxPingError = std::max(r.maxPingError, error);
        ++answered;
    }
    r.meanPingError = answered ? sum / static_cast<double>(answered) : 0;
    return r;
}

// Parse time of the hostile reply: team lists of 3,000 positions, then blank player lines to 64 KiB.
double HostileParseMs() {
    const std::string reply = testsupport::HostileStatusReply();
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        query::CGameServer server;
        server.tries = 1;
        const int64_t start = net::ReadCounter();
        server.OnStatusReply(reply);
        best = std::min(best, testsupport::CounterMs(start, net::ReadCounter()));
    }
    return best;
}

std::vector<int> ReadList(const char* text) {
    std::vector<int> values;
    for (std::istringstream in(text); in.good();) {
        int value = 0;
        char comma;
        if (in >> value)
            values.push_back(value);
        in >> comma;
    }
    return values;
}

// etsim with `count` servers and two masters; their list, or an empty one when etsim did not start.
std::vector<query::SMasterEntry> StartEtsim(int count, const fs::path& dir, pid_t& sim,
                                            nlohmann::json& dump) {
    const std::string latency = std::to_string(LATENCY_MIN_MS) + "-" + std::to_string(LATENCY_MAX_MS);
    fs::remove(dir / "ready");
    std::vector<std::string> args{ETSIM_PATH,   "--quiet",
                                  "--servers",  std::to_string(count),
                                  "--latency",  latency,
                                  "--silent",   "1%",
                                  "--masters",  "2",
                                  "--ready",    (dir / "ready").string(),
                                  "--dump",     (dir / "dump.json").string(),
                                  "--lifetime", "900"};
    std::vector<char*> argvSim;
    for (auto& a : args)
        argvSim.push_back(a.data());
    argvSim.push_back(nullptr);
    if (posix_spawn(&sim, argvSim[0], nullptr, nullptr, argvSim.data(), environ) != 0)
        return {};
    for (int i = 0; i < 600 && ReadFile(dir / "ready").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (ReadFile(dir / "ready").empty())
        return {};
    dump = nlohmann::json::parse(ReadFile(dir / "dump.json"));
    std::string list;
    for (const auto& m : dump["masters"])
        list += (list.empty() ? "" : ";") + m.get<std::string>();
    std::vector<query::SMasterEntry> masters;
    query::ParseMasterList(list, masters);
    return masters;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> counts{400, 2000, 5000};
    std::vector<int> speeds{5};
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--servers")
            counts = ReadList(argv[i + 1]);
        else if (arg == "--speeds")
            speeds = ReadList(argv[i + 1]);
    }

    fs::path dir = fs::temp_directory_path() / ("velloran-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::printf("whole query (master phase and status run): two etsim masters, injected latency %d-%d ms, "
                "1%% silent, no loss\n",
                LATENCY_MIN_MS, LATENCY_MAX_MS);
    std::printf("%-6s %7s %10s %10s %6s %10s %7s %12s %6s %14s %13s\n", "speed", "servers", "wall ms",
                "bound ms", "ratio", "master ms", "share", "worker cpu", "lost", "ping err mean",
                "ping err max");
    int status = 0;
    for (int count : counts) {
        pid_t sim = -1;
        nlohmann::json dump;
        const std::vector<query::SMasterEntry> masters = StartEtsim(count, dir, sim, dump);
        for (int speed : speeds) {
            if (masters.empty()) {
                std::fprintf(stderr, "etsim did not get ready\n");
                status = 1;
                break;
            }
            try {
                CResult r = RunOnce(masters, dump, speed);
                std::printf("%-6s %7zu %10.0f %10.0f %6.3f %10.0f %6.1f%% %12.1f %6zu %14.2f %13.0f\n",
                            query::kSpeedClassNames[speed], r.servers, r.wallMs, r.boundMs,
                            r.wallMs / r.boundMs, r.masterMs, 100.0 * r.masterMs / r.wallMs, r.cpuMs, r.lost,
                            r.meanPingError, r.maxPingError);
                std::fflush(stdout);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "speed %d: %s\n", speed, e.what());
                status = 1;
            }
        }
        if (sim > 0) {
            kill(sim, SIGTERM);
            waitpid(sim, nullptr, 0);
        }
    }
    std::printf("hostile 64 KiB status reply parsed in %.3f ms (best of 20)\n", HostileParseMs());
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return status;
}
