#include "app/frmRules.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "selection/frmTaskList.h"
#include <tuple>

namespace merilane {
namespace {

// Layouts at 96 dots per inch, scaled to the form's resolution.
constexpr int kListWidth = 460, kListHeight = 300;
constexpr RECT kNoteAt{10, 10, 450, 50};
constexpr RECT kListAt{10, 55, 340, 290};
constexpr int kButtonLeft = 350, kButtonRight = 450;

constexpr int kEditWidth = 460, kEditHeight = 270;
constexpr int kRowTop = 10, kRowStep = 28;

std::wstring Quote(const Condition& c) {
    return std::wstring(MatchKindName(c.kind)) + L" \"" + c.text + L"\"";
}

} // namespace

std::wstring frmRules::Describe(const WindowRule& rule) {
    std::wstring text = (rule.enabled ? L"[on]  " : L"[off] ") +
                        (rule.name.empty() ? std::wstring(L"(no name)") : rule.name) + L": " +
                        (rule.action == RuleAction::Capture ? L"capture" : L"never list");
    if (!rule.executable.text.empty())
        text += L", executable " + Quote(rule.executable);
    if (!rule.windowClass.text.empty())
        text += L", class " + Quote(rule.windowClass);
    if (!rule.title.text.empty())
        text += L", title " + Quote(rule.title);
    if (!rule.tabName.empty())
        text += L", tab named \"" + rule.tabName + L"\"";
    return text;
}

CForm::CreateParams frmRules::GetCreateParams() {
    UINT dpi = DpiOf();
    return DialogParams(L"MerilaneRules", kCaption, Scaled(kListWidth, dpi),
                        Scaled(kListHeight, dpi));
}

void frmRules::Form_Load() {
    HWND note = MakeControl(L"STATIC",
                            L"The first enabled rule that matches a window decides. Rules are "
                            L"kept in Merilane's settings file: they last while \"Remember "
                            L"settings\" is on.",
                            SS_LEFT, kNote);
    m_list = MakeControl(L"LISTBOX", L"",
                         WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                             WS_HSCROLL,
                         kList);
    SendMessageW(m_list, LB_SETHORIZONTALEXTENT, 2000, 0);
    std::vector<Placed> layout{{note, kNoteAt}, {m_list, kListAt}};
    const std::tuple<const wchar_t*, int, int> buttons[] = {
        {L"Add...", kAdd, 55},     {L"Edit...", kEdit, 85},    {L"Delete", kDelete, 115},
        {L"Move up", kUp, 145},    {L"Move down", kDown, 175}, {L"OK", IDOK, 230},
        {L"Cancel", IDCANCEL, 262}};
    for (auto& [text, id, top] : buttons)
        layout.push_back(
            {MakeControl(L"BUTTON", text, WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : 0), id),
             {kButtonLeft, top, kButtonRight, top + 26}});
    PlaceControls(std::move(layout));
    Fill(0);
}

void frmRules::Fill(int select) {
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    for (const WindowRule& rule : Edited)
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Describe(rule).c_str()));
    if (!Edited.empty())
        SendMessageW(m_list, LB_SETCURSEL,
                     static_cast<WPARAM>(std::clamp(select, 0, int(Edited.size()) - 1)), 0);
}

int frmRules::Selected() const {
    auto index = static_cast<int>(SendMessageW(m_list, LB_GETCURSEL, 0, 0));
    return index >= 0 && index < static_cast<int>(Edited.size()) ? index : -1;
}

void frmRules::EditRule(int index) {
    frmRuleEdit edit(index < 0 ? WindowRule{} : Edited[static_cast<size_t>(index)]);
    edit.ShowModal(ExistingHwnd());
    bool accepted = edit.Accepted;
    WindowRule rule = edit.Rule;
    edit.Unload();
    if (!accepted)
        return;
    if (index < 0) {
        Edited.push_back(std::move(rule));
        index = static_cast<int>(Edited.size()) - 1;
    } else {
        Edited[static_cast<size_t>(index)] = std::move(rule);
    }
    Fill(index);
}

void frmRules::OnCommand(UINT id, UINT code, HWND) {
    int index = Selected();
    switch (id) {
    case kList:
        if (code == LBN_DBLCLK && index >= 0)
            EditRule(index);
        break;
    case kAdd:
        EditRule(-1);
        break;
    case kEdit:
        if (index >= 0)
            EditRule(index);
        break;
    case kDelete:
        if (index >= 0) {
            Edited.erase(Edited.begin() + index);
            Fill(index);
        }
        break;
    case kUp:
    case kDown: {
        int other = index + (id == kUp ? -1 : 1);
        if (index >= 0 && other >= 0 && other < static_cast<int>(Edited.size())) {
            std::swap(Edited[static_cast<size_t>(index)], Edited[static_cast<size_t>(other)]);
            Fill(other);
        }
        break;
    }
    case IDOK:
        Accepted = true;
        Hide();
        break;
    case IDCANCEL:
        Hide();
        break;
    default:
        break;
    }
}

CForm::CreateParams frmRuleEdit::GetCreateParams() {
    UINT dpi = DpiOf();
    return DialogParams(L"MerilaneRule", kCaption, Scaled(kEditWidth, dpi),
                        Scaled(kEditHeight, dpi));
}

void frmRuleEdit::Form_Load() {
    auto row = [&](int n) { return kRowTop + n * kRowStep; };
    std::vector<Placed> layout;
    auto label = [&](const wchar_t* text, int n) {
        layout.push_back(
            {MakeControl(L"STATIC", text, SS_LEFT, -1), {10, row(n) + 3, 125, row(n) + 22}});
    };
    auto edit = [&](int id, int n, int left) {
        layout.push_back({MakeControl(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id),
                          {left, row(n), 450, row(n) + 22}});
    };
    auto combo = [&](int id, int n, int right, std::initializer_list<const wchar_t*> items) {
        HWND box = MakeControl(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, id);
        for (const wchar_t* item : items)
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        layout.push_back({box, {130, row(n), right, row(n) + 150}});
    };
    label(L"Name", 0);
    edit(kName, 0, 130);
    layout.push_back({MakeControl(L"BUTTON", L"Enabled", WS_TABSTOP | BS_AUTOCHECKBOX, kEnabled),
                      {130, row(1), 450, row(1) + 22}});
    const std::pair<const wchar_t*, int> conditions[] = {
        {L"Executable name", kExeKind}, {L"Window class", kClassKind}, {L"Title", kTitleKind}};
    for (int i = 0; i < 3; ++i) {
        label(conditions[i].first, i + 2);
        combo(conditions[i].second, i + 2, 240,
              {MatchKindName(MatchKind::Equals), MatchKindName(MatchKind::StartsWith),
               MatchKindName(MatchKind::Contains), MatchKindName(MatchKind::Wildcard)});
        edit(conditions[i].second + 1, i + 2, 250);
    }
    label(L"Action", 5);
    combo(kAction, 5, 450,
          {L"Capture such windows when they appear", L"Never list nor capture them"});
    label(L"Tab name (optional)", 6);
    edit(kTabName, 6, 130);
    const std::pair<const wchar_t*, int> buttons[] = {
        {L"Pick...", kPick}, {L"OK", IDOK}, {L"Cancel", IDCANCEL}};
    const int lefts[] = {10, 270, 360};
    for (int i = 0; i < 3; ++i)
        layout.push_back(
            {MakeControl(L"BUTTON", buttons[i].first,
                         WS_TABSTOP | (buttons[i].second == IDOK ? BS_DEFPUSHBUTTON : 0),
                         buttons[i].second),
             {lefts[i], 232, lefts[i] + 90, 258}});
    PlaceControls(std::move(layout));
    Show(Rule);
}

void frmRuleEdit::Show(const WindowRule& rule) {
    HWND form = ExistingHwnd();
    SetDlgItemTextW(form, kName, rule.name.c_str());
    CheckDlgButton(form, kEnabled, rule.enabled ? BST_CHECKED : BST_UNCHECKED);
    const std::pair<int, const Condition*> conditions[] = {
        {kExeKind, &rule.executable}, {kClassKind, &rule.windowClass}, {kTitleKind, &rule.title}};
    for (auto& [id, condition] : conditions) {
        SendDlgItemMessageW(form, id, CB_SETCURSEL, static_cast<WPARAM>(condition->kind), 0);
        SetDlgItemTextW(form, id + 1, condition->text.c_str());
    }
    SendDlgItemMessageW(form, kAction, CB_SETCURSEL, rule.action == RuleAction::Capture ? 0 : 1, 0);
    SetDlgItemTextW(form, kTabName, rule.tabName.c_str());
}

WindowRule frmRuleEdit::Read() const {
    HWND form = ExistingHwnd();
    auto text = [&](int id) { return OwnWindowText(GetDlgItem(form, id)); };
    auto kind = [&](int id) {
        auto index = SendDlgItemMessageW(form, id, CB_GETCURSEL, 0, 0);
        return index >= 0 && index <= 3 ? static_cast<MatchKind>(index) : MatchKind::Contains;
    };
    WindowRule rule;
    rule.name = text(kName);
    rule.enabled = IsDlgButtonChecked(form, kEnabled) == BST_CHECKED;
    rule.executable = {kind(kExeKind), text(kExe)};
    rule.windowClass = {kind(kClassKind), text(kClass)};
    rule.title = {kind(kTitleKind), text(kTitle)};
    rule.action = SendDlgItemMessageW(form, kAction, CB_GETCURSEL, 0, 0) == 1 ? RuleAction::Exclude
                                                                              : RuleAction::Capture;
    rule.tabName = text(kTabName);
    return rule;
}

void frmRuleEdit::Pick() {
    frmTaskList picker;
    picker.ShowModal(ExistingHwnd());
    WindowSelection windows = picker.Cancelled ? WindowSelection{} : picker.GetWindows();
    picker.Unload();
    if (windows.empty())
        return;
    WindowFacts facts = FactsOf(windows.front().second.hWnd);
    WindowRule rule = Read();
    rule.executable = {MatchKind::Equals, facts.executable};
    rule.windowClass = {MatchKind::Equals, facts.windowClass};
    rule.title = {MatchKind::Equals, facts.title};
    Show(rule);
}

void frmRuleEdit::OnCommand(UINT id, UINT, HWND) {
    if (id == kPick) {
        Pick();
    } else if (id == IDOK) {
        WindowRule rule = Read();
        if (TakesEveryWindow(rule) &&
            MsgBox(L"This rule has no conditions: it captures every window that appears. Save "
                   L"it all the same?",
                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, Product().name) != IDYES)
            return;
        Rule = std::move(rule);
        Accepted = true;
        Hide();
    } else if (id == IDCANCEL) {
        Hide();
    }
}

} // namespace merilane
