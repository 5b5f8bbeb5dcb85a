#pragma once
#include "controls/CForm.h"
#include <functional>

namespace merilane::test {

// Shows the form modally, as the program's commands do, and runs `act` from inside its modal
// loop once the form is visible, as a user would act on it. `act` may post input and return:
// the modal loop then handles it the way it handles a user's. A form still open 15 seconds after
// `act` is hidden by force, and the test fails.
void RunModal(CForm& form, std::function<void()> act);

} // namespace merilane::test
