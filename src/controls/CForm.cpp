#include "controls/CForm.h"
#include "controls/Failure.h"
#include "controls/MInput.h"
#include "controls/Screen.h"
#include "controls/Trust.h"
#include "controls/WindowObjects.h"
#include <algorithm>
#include <set>
#include <vector>

namespace merilane {
namespace {

std::vector<std::unique_ptr<CForm>>& AdoptedForms() {
    static std::vector<std::unique_ptr<CForm>> forms;
    return forms;
}

void RegisterClassOnce(const std::wstring& name, HBRUSH background) {
    static std::set<std::wstring> registered;
    if (registered.count(name))
        return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
    registered.insert(name);
}

HWND g_mainWindow = nullptr;
std::vector<HWND>& ModalStack() {
    static std::vector<HWND> stack;
    return stack;
}

} // namespace

CForm::~CForm() {
    if (m_hwnd) {
        WindowObjects<CForm>::Set(m_hwnd, nullptr);
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

HWND CForm::hWnd() {
    if (!m_hwnd)
        Create();
    return m_hwnd;
}

void CForm::Create() {
    CreateParams p = GetCreateParams();
    RegisterClassOnce(p.className, p.background);
    m_unloaded = false;
    HWND hwnd = CreateWindowExW(p.exStyle, p.className.c_str(), p.caption.c_str(),
                                p.style & ~WS_VISIBLE, p.x, p.y, p.width, p.height, p.parent,
                                p.menu, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return;
    // The window procedure of the class is the default one until the form takes over, so that
    // a form never sees messages before its members are set.
    WindowObjects<CForm>::Set(hwnd, this);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc));
    m_hwnd = hwnd;
    Form_Load();
}

void CForm::Show() {
    HWND hwnd = hWnd();
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
}

HWND CForm::ModalOwner() noexcept {
    auto& stack = ModalStack();
    while (!stack.empty() && !IsWindow(stack.back()))
        stack.pop_back();
    if (!stack.empty())
        return stack.back();
    return g_mainWindow && IsWindow(g_mainWindow) ? g_mainWindow : nullptr;
}

void CForm::SetMainWindow(HWND hwnd) noexcept {
    g_mainWindow = hwnd;
}

void CForm::ShowModal(HWND owner) {
    HWND hwnd = hWnd();
    if (!owner)
        owner = ModalOwner();
    if (owner == hwnd)
        owner = nullptr;
    // Owned, the form stays above its owner and has no taskbar button of its own.
    if (owner)
        SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    // Bringing the form up moves the focus, which must not wait on another program.
    SeparateForeignInput();
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ModalStack().push_back(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (m_hwnd == hwnd && IsWindowVisible(hwnd)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (WantsDialogKeys() && IsDialogMessageW(hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    auto& stack = ModalStack();
    stack.erase(std::remove(stack.begin(), stack.end(), hwnd), stack.end());
    if (ownerWasEnabled && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void CForm::Hide() {
    if (m_hwnd)
        ShowWindow(m_hwnd, SW_HIDE);
}

bool CForm::Unload() {
    if (!m_hwnd)
        return true;
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel || !m_hwnd)
        return !m_hwnd;
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    return true;
}

std::wstring OwnWindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

std::wstring CForm::Caption() const {
    if (!m_hwnd)
        return {};
    if (!m_caption)
        m_caption = OwnWindowText(m_hwnd);
    return *m_caption;
}

void CForm::SetCaption(const std::wstring& caption) {
    SetWindowTextW(hWnd(), caption.c_str());
}

void CForm::SetIcon(HICON big, HICON small) {
    SendMessageW(hWnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

bool CForm::Visible() const noexcept {
    return m_hwnd && IsWindowVisible(m_hwnd);
}

long CForm::Width() const {
    RECT r{};
    if (m_hwnd)
        GetWindowRect(m_hwnd, &r);
    return PixelsToTwipsX(r.right - r.left, m_hwnd);
}

long CForm::Height() const {
    RECT r{};
    if (m_hwnd)
        GetWindowRect(m_hwnd, &r);
    return PixelsToTwipsY(r.bottom - r.top, m_hwnd);
}

CForm::CreateParams CForm::DialogParams(std::wstring className, std::wstring caption,
                                        int clientWidth, int clientHeight) {
    CreateParams p;
    p.className = std::move(className);
    p.caption = std::move(caption);
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    p.exStyle = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, p.style, FALSE, p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    CentreOnScreen(p);
    return p;
}

void CForm::CentreOnScreen(CreateParams& p) noexcept {
    p.x = (GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
    p.y = (GetSystemMetrics(SM_CYSCREEN) - p.height) / 3;
}

HWND CForm::MakeControl(const wchar_t* className, const std::wstring& text, DWORD style, int id,
                        DWORD exStyle) const {
    return CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                           0, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void SetControlsFont(std::initializer_list<HWND> controls, HFONT font) noexcept {
    for (HWND control : controls)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CForm::PlaceScaled(HWND control, const RECT& at96) const {
    UINT dpi = Dpi();
    MoveWindow(control, Scaled(at96.left, dpi), Scaled(at96.top, dpi),
               Scaled(at96.right - at96.left, dpi), Scaled(at96.bottom - at96.top, dpi), TRUE);
}

void CForm::PlaceControls(std::vector<Placed> layout) {
    m_layout = std::move(layout);
    SetLayoutFont(Dpi());
    PlaceLayout();
}

void CForm::SetLayoutFont(UINT dpi) {
    if (m_layout.empty())
        return;
    m_layoutFont = MessageFont(dpi);
    for (const Placed& placed : m_layout)
        SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(m_layoutFont.get()),
                     TRUE);
}

void CForm::PlaceLayout() const {
    for (const Placed& placed : m_layout)
        if (!IsRectEmpty(&placed.at96))
            PlaceScaled(placed.control, placed.at96);
}

UINT CForm::Dpi() const noexcept {
    return DpiOf(m_hwnd);
}

LRESULT CForm::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

LRESULT CForm::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        PlaceLayout();
        Form_Resize();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            Form_Activate();
        return DefaultProc(msg, wp, lp);
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_DPICHANGED: {
        SetLayoutFont(HIWORD(wp));
        Form_DpiChanged(HIWORD(wp));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lp);
        SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SETTEXT: {
        // Whoever sets it, our text changes here; read back, for the rare call that fails.
        LRESULT set = DefaultProc(msg, wp, lp);
        m_caption.reset();
        return set;
    }
    case WM_DESTROY:
        if (!m_unloaded) {
            m_unloaded = true;
            Form_Unload();
        }
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

LRESULT CALLBACK CForm::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CForm* self = WindowObjects<CForm>::Find(hwnd);
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (CarriesForeignPointer(msg))
        return 0;
    LRESULT result = Guarded(LRESULT{0}, [&] { return self->WindowProc(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        WindowObjects<CForm>::Set(hwnd, nullptr);
        self->m_hwnd = nullptr;
        self->m_caption.reset();
        if (self->m_adopted) {
            auto& forms = AdoptedForms();
            auto it = std::find_if(forms.begin(), forms.end(),
                                   [self](const auto& f) { return f.get() == self; });
            if (it != forms.end()) {
                std::unique_ptr<CForm> last = std::move(*it);
                forms.erase(it);
            }
        }
    }
    return result;
}

void CForm::AdoptForm(std::unique_ptr<CForm> form) {
    form->m_adopted = true;
    AdoptedForms().push_back(std::move(form));
}

} // namespace merilane
