// A query run over thousands of etsim servers on loopback at the speed classes DSL, DSL*2 and DSL*4:
// wall time against the pacing bound, CPU time of the worker thread, replies lost, ping error against
// etsim's injected latency.
//   query_run_bench [--servers N] [--speeds 3,4,5]
#include "query/MasterQuery.h"
#include "query/QueryRun.h"
#include "query/QueueSink.h"

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
    double wallMs = 0, boundMs = 0, cpuMs = 0;
    size_t lost = 0;
    double meanPingError = 0, maxPingError = 0;
};

CResult RunOnce(const std::string& master, const nlohmann::json& dump, int speed) {
    CResult r;
    r.speed = speed;
    query::CServerCollection servers;
    query::CMasterResult m =
        query::QueryMaster(net::CSockAddr(master), query::BuildMasterRequest(82, true, true), servers);
    if (m.outcome != query::MasterOutcome::COLLECTED)
        throw std::runtime_error(query::MasterOutcomeText(m.outcome));
    r.servers = servers.Count();

    CTimedSink sink;
    query::CQueryRun run(servers, sink);
    run.SetSpeedIndex(speed);
    const int64_t start = net::ReadCounter();
    run.StartWorker();
    for (query::CQueryEvent e; !(e.kind == query::CQueryEvent::WORKER_END && e.run == run.RunNumber());)
        if (sink.Next(e, 1000) && e.kind == query::CQueryEvent::SERVER_DONE)
            run.AcceptResult(e.run);
    r.wallMs = static_cast<double>(net::ElapsedMs(start));
    run.StopWorker();
    r.cpuMs = sink.workerCpuMs;

    // ceil(N / 2^speed) ticks, then the last answers come at the next tick after the latest reply.
    const double ticks = std::ceil(static_cast<double>(r.servers) / query::RequestsPerTick(speed));
    r.boundMs = (ticks - 1) * query::TICK_MS + LATENCY_MAX_MS + query::TICK_MS;

    double sum = 0;
    size_t answered = 0;
    for (const auto& s : dump["servers"]) {
        const query::CGameServer* record = servers.Find(net::CSockAddr(s["address"].get<std::string>()));
        if (!record || record->tries != query::TRIES_ANSWERED) {
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

} // namespace

int main(int argc, char** argv) {
    int count = 5000;
    std::vector<int> speeds{3, 4, 5};
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        if (arg == "--servers")
            count = std::atoi(argv[i + 1]);
        else if (arg == "--speeds") {
            speeds.clear();
            for (const char* p = argv[i + 1]; *p; ++p)
                if (*p >= '0' && *p <= '5')
                    speeds.push_back(*p - '0');
        }
    }

    fs::path dir = fs::temp_directory_path() / ("velloran-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string latency = std::to_string(LATENCY_MIN_MS) + "-" + std::to_string(LATENCY_MAX_MS);
    std::vector<std::string> args{ETSIM_PATH,   "--quiet",
                                  "--servers",  std::to_string(count),
                                  "--latency",  latency,
                                  "--ready",    (dir / "ready").string(),
                                  "--dump",     (dir / "dump.json").string(),
                                  "--lifetime", "900"};
    std::vector<char*> argvSim;
    for (auto& a : args)
        argvSim.push_back(a.data());
    argvSim.push_back(nullptr);
    pid_t sim = -1;
    if (posix_spawn(&sim, argvSim[0], nullptr, nullptr, argvSim.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start etsim\n");
        return 1;
    }
    std::string master;
    for (int i = 0; i < 600 && master.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        master = ReadFile(dir / "ready");
    }
    while (!master.empty() && std::isspace(static_cast<unsigned char>(master.back())))
        master.pop_back();
    int status = 0;
    if (!master.empty()) {
        nlohmann::json dump = nlohmann::json::parse(ReadFile(dir / "dump.json"));
        std::printf("query run over %d etsim servers, injected latency %s ms, no loss\n", count,
                    latency.c_str());
        std::printf("%-6s %7s %10s %10s %6s %12s %6s %14s %13s\n", "speed", "servers", "wall ms", "bound ms",
                    "ratio", "worker cpu ms", "lost", "ping err mean", "ping err max");
        for (int speed : speeds) {
            try {
                CResult r = RunOnce(master, dump, speed);
                std::printf("%-6s %7zu %10.0f %10.0f %6.3f %12.1f %6zu %14.2f %13.0f\n",
                            query::SPEED_CLASS_NAMES[speed], r.servers, r.wallMs, r.boundMs,
                            r.wallMs / r.boundMs, r.cpuMs, r.lost, r.meanPingError, r.maxPingError);
                std::fflush(stdout);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "speed %d: %s\n", speed, e.what());
                status = 1;
            }
        }
    } else {
        std::fprintf(stderr, "etsim did not get ready\n");
        status = 1;
    }
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return status;
}
