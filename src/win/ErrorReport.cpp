#include "win/ErrorReport.h"

#include "base/Error.h"

#include <atomic>

namespace win {

namespace {

std::string& AppTitle() {
    static std::string title = "Velloran";
    return title;
}

void MessageBoxReporter(HWND owner, const std::string& text) {
    ShowMessage(owner, text, MB_OK | MB_ICONSTOP);
}

std::atomic<ExceptionReporter> g_reporter{MessageBoxReporter};

} // namespace

void SetAppTitle(const std::string& title) {
    AppTitle() = title;
}
const std::string& GetAppTitle() {
    return AppTitle();
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
    return ::MessageBoxA(owner, text.c_str(), AppTitle().c_str(), type);
}

std::string DescribeException(std::exception_ptr error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const base::CError& e) {
        return e.Message();
    } catch (...) {
    }
    return "Unhandled Unknown Exception!";
}

ExceptionReporter SetExceptionReporter(ExceptionReporter reporter) {
    return g_reporter.exchange(reporter ? reporter : MessageBoxReporter);
}

void ReportException(HWND owner) {
    // The report's own message loop may run the failing handler again; one report at a time per thread.
    thread_local bool t_reporting = false;
    if (t_reporting)
        return;
    t_reporting = true;
    std::string text = DescribeException(std::current_exception());
    try {
        g_reporter.load()(owner, text);
    } catch (...) {
        // A report must never throw out of a window procedure or a thread.
    }
    t_reporting = false;
}

} // namespace win
