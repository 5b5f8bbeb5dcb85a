#include "app/MCommands.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/UiThread.h"
#include <deque>
#include <vector>

namespace merilane {
namespace {

int g_depth = 0;
std::deque<std::function<void()>> g_waiting;
std::vector<std::wstring> g_notices;

void RunNextWaiting();

// Commands that had to wait are started from the message loop, never from inside the command
// that made them wait.
void ScheduleWaiting() {
    if (!g_waiting.empty())
        PostToUiThread(RunNextWaiting);
}

void TellNotices() {
    if (g_notices.empty())
        return;
    std::wstring text;
    for (auto& notice : g_notices)
        text += (text.empty() ? L"" : L"\r\n\r\n") + notice;
    g_notices.clear();
    MsgBox(text, MB_OK | MB_ICONINFORMATION, Product().name);
}

// Ends a command whichever way it leaves.
struct CommandScope {
    CommandScope() noexcept { ++g_depth; }
    ~CommandScope() {
        if (g_depth == 1) {
            try {
                TellNotices();
            } catch (...) {
            }
        }
        if (--g_depth == 0)
            ScheduleWaiting();
    }
};

void RunNextWaiting() {
    // Posted when the last command ended; another may have started since, and then this one
    // waits for that one's end in turn.
    if (g_depth > 0 || g_waiting.empty())
        return;
    std::function<void()> next = std::move(g_waiting.front());
    g_waiting.pop_front();
    RunCommand(std::move(next));
}

} // namespace

void RunCommand(std::function<void()> command) {
    if (g_depth > 0) {
        g_waiting.push_back(std::move(command));
        return;
    }
    CommandScope scope;
    command();
}

bool CommandRunning() noexcept {
    return g_depth > 0;
}

int CommandsWaiting() noexcept {
    return static_cast<int>(g_waiting.size());
}

CommandPause::CommandPause() noexcept : m_depth(g_depth) {
    g_depth = 0;
    ScheduleWaiting();
}

CommandPause::~CommandPause() {
    g_depth = m_depth;
}

void NoteForUser(const std::wstring& notice) {
    g_notices.push_back(notice);
    if (g_depth == 0)
        TellNotices();
}

} // namespace merilane
