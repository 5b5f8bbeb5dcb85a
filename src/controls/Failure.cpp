#include "controls/Failure.h"
#include "controls/Dialogs.h"
#include "controls/Text.h"
#include <windows.h>
#include <stdexcept>

namespace merilane {
namespace {
FailureHandler& Handler() {
    static FailureHandler handler;
    return handler;
}
bool g_handling = false;
} // namespace

void TellFailure(const wchar_t* procedure, const std::exception& failure) {
    MsgBox(DescriptionOf(failure), MB_ICONERROR | MB_OK, procedure);
}

void SetUnhandledFailureHandler(FailureHandler handler) {
    Handler() = std::move(handler);
}

void HandleCurrentFailure() noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            if (Handler() && !g_handling) {
                g_handling = true;
                Handler()(e);
                g_handling = false;
            } else if (!Handler()) {
                MessageBoxW(nullptr, FromUtf8(e.what()).c_str(), L"Merilane", MB_ICONERROR | MB_OK);
                ExitProcess(1);
            }
        } catch (...) {
            std::runtime_error unknown("Unknown failure");
            if (Handler() && !g_handling) {
                g_handling = true;
                Handler()(unknown);
                g_handling = false;
            }
        }
    } catch (...) {
        // The handler itself failed: nothing sane is left to do.
        ExitProcess(1);
    }
}

} // namespace merilane
