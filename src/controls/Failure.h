#pragma once
#include "controls/Error.h"
#include <exception>
#include <functional>
#include <utility>

namespace merilane {

// A failure must never unwind through a window procedure or a timer callback of the system;
// callbacks catch everything and hand it here. The program decides what an unhandled failure
// does (it makes sure no foreign window goes down with it).
using FailureHandler = std::function<void(const std::exception&)>;
void SetUnhandledFailureHandler(FailureHandler handler);

// Call from inside a catch block only.
void HandleCurrentFailure() noexcept;

// Where the system calls into the program (a window procedure, a timer, a hook, posted work):
// a failure goes to the program's handler, and the system gets `onFailure` as the answer.
template <class T, class Call> T Guarded(T onFailure, Call&& call) noexcept {
    try {
        return call();
    } catch (...) {
        HandleCurrentFailure();
        return onFailure;
    }
}
template <class Call> void Guarded(Call&& call) noexcept {
    try {
        call();
    } catch (...) {
        HandleCurrentFailure();
    }
}

// How a step whose failure is tolerated tolerates it: the failure ends that step only.
struct Tolerance {
    // Only element-not-found and key-not-unique, harmless while tabs are made and activated;
    // any other failure goes on up.
    bool harmlessOnly = false;
    // When set, the user is told in a box with the critical icon, titled with this procedure's
    // name ("frmTaskList.cmdOK_Click"); otherwise the failure is dropped.
    const wchar_t* tellUser = nullptr;
};
void TellFailure(const wchar_t* procedure, const std::exception& failure);

// Runs one step of a procedure whose later steps do not depend on it, as `how` says.
template <class Step> void Tolerating(Tolerance how, Step&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        auto* error = dynamic_cast<const Error*>(&e);
        if (how.harmlessOnly && !(error && error->IsHarmlessControlFailure()))
            throw;
        if (how.tellUser)
            TellFailure(how.tellUser, e);
    }
}
// The same, its failure dropped.
template <class Step> void Tolerating(Step&& step) {
    Tolerating(Tolerance{}, std::forward<Step>(step));
}
inline constexpr Tolerance kHarmless{.harmlessOnly = true};

} // namespace merilane
