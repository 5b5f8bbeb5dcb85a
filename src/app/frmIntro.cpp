#include "app/frmIntro.h"

namespace merilane {

CForm::CreateParams frmIntro::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneIntro";
    p.caption = kCaption;
    p.style = WS_OVERLAPPEDWINDOW;
    p.width = 600;
    p.height = 420;
    p.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return p;
}

void frmIntro::Form_Load() {
    CreateWindowExW(0, L"STATIC", L"Merilane: File > New tab gathers running windows into tabs.",
                    WS_CHILD | WS_VISIBLE | SS_LEFT, 40, 60, 500, 40, ExistingHwnd(), nullptr,
                    GetModuleHandleW(nullptr), nullptr);
}

} // namespace merilane
