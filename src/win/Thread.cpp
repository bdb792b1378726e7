#include "win/Thread.h"

#include "win/ErrorReport.h"

#include <process.h>

#include <memory>

namespace win {

namespace {

unsigned __stdcall ThreadMain(void* param) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(param));
    try {
        (*body)();
    } catch (...) {
        ReportException(nullptr);
    }
    return 0;
}

} // namespace

HANDLE StartWorkerThread(std::function<void()> body) {
    auto* param = new std::function<void()>(std::move(body));
    uintptr_t handle = ::_beginthreadex(nullptr, 0, ThreadMain, param, 0, nullptr);
    if (handle == 0) {
        delete param;
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace win
