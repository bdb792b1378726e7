// How a query run hands its results over. The worker thread calls the sink; the receiver lives on
// another thread (the main window posts messages to itself, the headless tool queues), so an implementation
// must only pass the call on, never block for long.
#pragma once

#include "query/GameServer.h"
#include "query/MasterQuery.h"

#include <memory>
#include <string>

namespace query {

// The message shown for anything thrown by the worker that is not a CError.
constexpr const char* kUnknownExceptionText = "Unhandled Unknown Exception!";

class CQuerySink {
public:
    virtual ~CQuerySink() = default;
    // The master phase of run `run` has ended (also when it was stopped); the receiver owns the result.
    virtual void OnMasterDone(unsigned run, std::unique_ptr<SMasterResult> result) = 0;
    // A record of run `run` has finished (answered or given up). The worker does not touch it again in
    // that run. The receiver drops records of runs other than the current one.
    virtual void OnServerDone(unsigned run, CGameServer& record) = 0;
    // An exception ended the worker of run `run`; the records not yet handed over are never reported.
    virtual void OnWorkerError(unsigned run, const std::string& message) = 0;
    // The worker of run `run` ends: its last call, after every other one of that run.
    virtual void OnWorkerEnd(unsigned run) = 0;
};

} // namespace query
