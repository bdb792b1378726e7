// etsim: a simulated Enemy Territory network (one master server, many game servers) on loopback.
#include "Options.h"
#include "Simulator.h"
#include "World.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace etsim;

namespace {

// Writes through a temporary file and a rename, so a reader never sees half a file.
bool WriteAtomically(const std::string& path, const std::string& text) {
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

size_t RaiseFileLimit() {
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) != 0)
        return 1024;
    if (lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
        getrlimit(RLIMIT_NOFILE, &lim);
    }
    return lim.rlim_cur == RLIM_INFINITY ? SIZE_MAX : static_cast<size_t>(lim.rlim_cur);
}

int Fail(const std::string& message, int code) {
    std::fprintf(stderr, "etsim: %s\n", message.c_str());
    return code;
}

} // namespace

int main(int argc, char** argv) {
    const int64_t start = MonotonicNs();
    BlockLoopSignals();

    SOptions opts;
    std::string error;
    bool help = false;
    if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), opts, error, help))
        return Fail(error + " (--help lists the options)", 2);
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!CheckOptions(opts, error))
        return Fail(error, 2);
    const size_t fileLimit = RaiseFileLimit();
    if (opts.servers + 16 > fileLimit)
        return Fail("--servers " + std::to_string(opts.servers) +
                        " needs more file descriptors than the limit of " + std::to_string(fileLimit),
                    2);

    SWorld world = Generate(opts);
    CSimulator sim(world, opts, start);
    const bool automatic = opts.baseAddress == "auto";
    std::mt19937_64 placement(std::random_device{}() ^ static_cast<uint64_t>(getpid()));
    for (int attempt = 0;; ++attempt) {
        uint32_t base = automatic ? PickAutoBase(placement) : *ParseIp(opts.baseAddress);
        if (!AssignAddresses(world, base, opts, error))
            return Fail(error, 2);
        bool inUse = false;
        if (sim.Bind(error, inUse))
            break;
        if (!(automatic && inUse && attempt < 50))
            return Fail(error, 1);
    }
    world.master = sim.Master();
    world.masters = sim.Masters();
    world.foreignMasters = sim.ForeignMasters();
    const std::string masterText = AddressText(world.master);

    if (!opts.dumpFile.empty() && !WriteAtomically(opts.dumpFile, DumpJson(world, opts).dump() + "\n"))
        return Fail("cannot write the dump " + opts.dumpFile + ": " + std::strerror(errno), 1);
    if (!opts.readyFile.empty() && !WriteAtomically(opts.readyFile, masterText + "\n"))
        return Fail("cannot write the ready file " + opts.readyFile + ": " + std::strerror(errno), 1);
    std::printf("%s\n", masterText.c_str());
    std::fflush(stdout);
    if (!opts.quiet && !world.servers.empty()) {
        std::fprintf(stderr, "etsim: master %s, %zu servers from %s to %s\n", masterText.c_str(),
                     world.servers.size(), AddressText(world.servers.front().address).c_str(),
                     AddressText(world.servers.back().address).c_str());
    }
    return sim.Run();
}
