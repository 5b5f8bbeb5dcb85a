#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace merilane {

// The text of one of the program's own windows, a form or a control on one. Only for windows of
// this thread: another program's window is asked with a bound, never this way.
std::wstring OwnWindowText(HWND hwnd);

// Gives every control the font, which the caller keeps alive for as long as they show it.
void SetControlsFont(std::initializer_list<HWND> controls, HFONT font) noexcept;

// One of the program's own top-level windows. The object outlives its window: asking for
// hWnd() after the window has been closed makes it again (hidden), as callers expect of a form.
class CForm {
  public:
    CForm() = default;
    virtual ~CForm();
    CForm(const CForm&) = delete;
    CForm& operator=(const CForm&) = delete;

    HWND hWnd();
    HWND ExistingHwnd() const noexcept { return m_hwnd; }
    bool IsLoaded() const noexcept { return m_hwnd != nullptr; }

    void Show();
    // Runs a modal loop until the form is hidden or unloaded. The form is owned by `owner`
    // (by default the innermost modal form open, else the main window), which is disabled
    // meanwhile.
    void ShowModal(HWND owner = nullptr);

    // What modal forms and message boxes are owned by when nothing else is said: the innermost
    // modal form that is open, or else the program's main window.
    static HWND ModalOwner() noexcept;
    static void SetMainWindow(HWND hwnd) noexcept;
    void Hide();
    // Asks Form_QueryUnload first; false when the form refused.
    bool Unload();

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    bool Visible() const noexcept;
    // The form's title-bar and taskbar icons; the caller keeps them alive.
    void SetIcon(HICON big, HICON small);

    // Outer size and position in twips.
    long Width() const;
    long Height() const;
    // The resolution the form is drawn at: its monitor's, which changes when it is moved to
    // another monitor or the user changes the scale.
    UINT Dpi() const noexcept;

    // Hands the form to the program: it lives until its window is destroyed.
    template <class T> static T& Adopt(std::unique_ptr<T> form) {
        T& ref = *form;
        AdoptForm(std::move(form));
        return ref;
    }

  protected:
    struct CreateParams {
        std::wstring className = L"MerilaneForm";
        std::wstring caption;
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
        int width = CW_USEDEFAULT, height = CW_USEDEFAULT; // outer, pixels
        HWND parent = nullptr;
        HMENU menu = nullptr;
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    };
    virtual CreateParams GetCreateParams() = 0;
    // A dialog's frame (caption and close box, not sizable) around a client area of the given
    // size in pixels, centred on the screen a third of the way down.
    static CreateParams DialogParams(std::wstring className, std::wstring caption, int clientWidth,
                                     int clientHeight);
    // Puts a form of the parameters' size in the middle of the screen, a third of the way down.
    static void CentreOnScreen(CreateParams& p) noexcept;
    // A visible child control of the form with the given class, text and command id, to be
    // placed once the form lays itself out.
    HWND MakeControl(const wchar_t* className, const std::wstring& text, DWORD style, int id,
                     DWORD exStyle = 0) const;
    // Places a control at a rectangle laid out at 96 dots per inch, at the form's resolution.
    void PlaceScaled(HWND control, const RECT& at96) const;
    // A control of the form and where it goes at 96 dots per inch; an empty place leaves the
    // placing to the form's own Form_Resize.
    struct Placed {
        HWND control;
        RECT at96{};
    };
    // The form lays these controls out itself from now on: each is drawn in the system's
    // message font at the form's resolution and placed, scaled, now, at every resize and at
    // every change of resolution (before Form_Resize and Form_DpiChanged run).
    void PlaceControls(std::vector<Placed> layout);
    HFONT LayoutFont() const noexcept { return m_layoutFont.get(); }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(bool& cancel) { (void)cancel; }
    virtual void Form_Unload() {}
    // The form has been moved to a resolution of `dpi`; it is then sized to the rectangle the
    // system suggests, which lays it out again.
    virtual void Form_DpiChanged(UINT dpi) { (void)dpi; }
    virtual void OnCommand(UINT id, UINT code, HWND control) {
        (void)id, (void)code, (void)control;
    }
    // Dialog keys (Tab, Enter, Escape) in the modal loop.
    virtual bool WantsDialogKeys() const { return false; }

    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

  private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static void AdoptForm(std::unique_ptr<CForm> form);
    void Create();

    void PlaceLayout() const;
    void SetLayoutFont(UINT dpi);

    HWND m_hwnd = nullptr;
    bool m_unloaded = false;
    std::vector<Placed> m_layout;
    OwnedFont m_layoutFont;
    // The window's text as its last WM_SETTEXT left it; asking the window each time costs two
    // messages, and the watch asks several times a second.
    mutable std::optional<std::wstring> m_caption;
    bool m_adopted = false;
};

} // namespace merilane
