#pragma once
#include <functional>
#include <string>

namespace merilane {

// Commands that change the tab set (menu items, tab clicks, closing, the keyboard bindings,
// windows that come back after not answering) never run inside one another. Message-pump
// passes and modal boxes inside a command would otherwise let a second command change the tab
// set under the first.

// Runs the command now when no other runs, otherwise right after the one that runs, in the
// order asked. A failure inside it goes to the caller when it runs now, and to the program's
// handler of unhandled failures when it runs later.
void RunCommand(std::function<void()> command);
bool CommandRunning() noexcept;
// How many commands wait for the running one to end.
int CommandsWaiting() noexcept;

// Lets other commands run while it lives: a command that waits for the user in a dialog of
// its own (the window picker) must not hold everything else up meanwhile.
class CommandPause {
  public:
    CommandPause() noexcept;
    ~CommandPause();
    CommandPause(const CommandPause&) = delete;
    CommandPause& operator=(const CommandPause&) = delete;

  private:
    int m_depth;
};

// Notes something the user must hear of (a window that did not answer, one that cannot be
// captured), so that it is said once, plainly, in one box with whatever else the command met,
// when the command ends (at once when no command runs).
void NoteForUser(const std::wstring& notice);

} // namespace merilane
