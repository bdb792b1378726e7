// Message boxes and the report of an exception that escaped a handler or a worker thread.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace win {

// The caption of every message box of the program (the application name).
void SetAppTitle(const std::string& title);
const std::string& GetAppTitle();

// A message box with the application name as caption; returns the button pressed (IDOK ...).
int ShowMessage(HWND owner, const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION);

// The text shown for an escaped exception: the message of a base::CError, otherwise
// "Unhandled Unknown Exception!".
std::string DescribeException(std::exception_ptr error);

// How ReportException shows its text; the default is a stop-sign message box.
using ExceptionReporter = void (*)(HWND owner, const std::string& text);
// Installs a reporter (nullptr: the message box again) and returns the one before.
ExceptionReporter SetExceptionReporter(ExceptionReporter reporter);

// Reports the exception being handled; call it inside a catch block only. An exception that arrives
// while a report of the same thread is still shown is not reported again.
void ReportException(HWND owner);

} // namespace win
