#pragma once
#include <exception>
#include <functional>

namespace merilane {

// A failure must never unwind through a window procedure or a timer callback of the system;
// callbacks catch everything and hand it here. The program decides what an unhandled failure
// does (it makes sure no foreign window goes down with it).
using FailureHandler = std::function<void(const std::exception&)>;
void SetUnhandledFailureHandler(FailureHandler handler);

// Call from inside a catch block only.
void HandleCurrentFailure() noexcept;

} // namespace merilane
