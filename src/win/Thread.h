// Starting a worker thread whose escaping exceptions are reported instead of ending the process.
#pragma once

#include <windows.h>

#include <functional>

namespace win {

// Runs body on a new thread. Returns the thread handle (the caller waits on it and closes it), or
// nullptr when no thread could be started. An exception escaping body goes to ReportException.
HANDLE StartWorkerThread(std::function<void()> body);

} // namespace win
