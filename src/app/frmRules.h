#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"
#include "selection/WindowRules.h"
#include <vector>

namespace merilane {

// "Rules": the user's rules in order, to add, edit, delete and reorder. The caller shows it
// modally, then takes Edited when Accepted.
class frmRules : public CForm {
  public:
    explicit frmRules(std::vector<WindowRule> rules) : Edited(std::move(rules)) {}

    std::vector<WindowRule> Edited;
    bool Accepted = false;

    static constexpr const wchar_t* kCaption = L"Rules";
    enum : int { kList = 300, kAdd, kEdit, kDelete, kUp, kDown, kNote };

    // One line of the list for a rule.
    static std::wstring Describe(const WindowRule& rule);

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    void Fill(int select);
    int Selected() const;
    void EditRule(int index); // -1: a new one
    HWND m_list = nullptr;
};

// One rule: its name, conditions, action and tab name, with "Pick..." to fill the conditions
// from a window chosen in the picker.
class frmRuleEdit : public CForm {
  public:
    explicit frmRuleEdit(WindowRule rule) : Rule(std::move(rule)) {}

    WindowRule Rule;
    bool Accepted = false;

    static constexpr const wchar_t* kCaption = L"Rule";
    enum : int {
        kName = 400,
        kEnabled,
        kExeKind,
        kExe,
        kClassKind,
        kClass,
        kTitleKind,
        kTitle,
        kAction,
        kTabName,
        kPick,
    };

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    void Show(const WindowRule& rule);
    WindowRule Read() const;
    void Pick();
};

} // namespace merilane
