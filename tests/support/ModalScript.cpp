#include "ModalScript.h"
#include <gtest/gtest.h>

namespace merilane::test {
namespace {

struct ModalScript {
    CForm* form;
    std::function<void()> act;
    bool acted = false;
    bool forced = false;
    DWORD actedAt = 0;
};
ModalScript* g_current = nullptr;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* script = g_current;
    if (!script)
        return;
    if (!script->acted) {
        if (!script->form->Visible())
            return;
        script->acted = true;
        script->actedAt = GetTickCount();
        script->act();
    } else if (script->form->Visible() && GetTickCount() - script->actedAt > 15000) {
        script->forced = true;
        script->form->Hide();
    }
}

} // namespace

void RunModal(CForm& form, std::function<void()> act) {
    ModalScript script{&form, std::move(act)};
    ModalScript* outer = g_current;
    g_current = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
    form.ShowModal();
    KillTimer(nullptr, timer);
    g_current = outer;
    EXPECT_TRUE(script.acted) << "the form was never shown";
    EXPECT_FALSE(script.forced) << "the form did not close";
}

} // namespace merilane::test
