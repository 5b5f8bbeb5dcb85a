#pragma once
#include <windows.h>
#include <span>

namespace merilane {

class frmSSTab;

// The container's command ids, one per item of its menu tree. They stay the same from run to
// run and from version to version, so that tests and automation can send any command (the
// hidden ones too) as WM_COMMAND to the container.
enum CommandId : UINT {
    kCmdFile = 40001,
    kCmdNew = 40002,
    kCmdSep1 = 40003,
    kCmdIntro = 40004,
    kCmdSep2 = 40005,
    kCmdReleaseAll = 40006,
    kCmdExit = 40007,
    kCmdExtra = 40008,
    kCmdDebug = 40009,
    kCmdMultirow = 40010,
    kCmdButtontabs = 40011,
    kCmdRoundRobin = 40012,
    kCmdOptionsEnableKeybindings = 40013,
    kCmdKeybinding = 40014,
    kCmdFonts = 40015,
    kCmdFontActiveTab = 40016,
    kCmdFontInactivetab = 40017,
    kCmdColors = 40018,
    kCmdColorsActivetab = 40019,
    kCmdAciveTabBackground = 40020,
    kCmdActivetabFontColor = 40021,
    kCmdColInactivetabcolor = 40022,
    kCmdInActiveFontColor = 40023,
    kCmdInActiveBackgroundColor = 40024,
    kCmdColorsDefault = 40025,
    kCmdIcons = 40026,
    kCmdIconsAltTab = 40027,
    kCmdChangeIcon = 40028,
    kCmdAlttabOverlap = 40029,
    kCmdAlttabUseActiveTabIcon = 40030,
    kCmdIconTaskbar = 40031,
    kCmdTaskbarChangeicon = 40032,
    kCmdTaskbarUseActiveTabIcon = 40033,
    kCmdMnuActiveTab = 40034,
    kCmdChangeCaption = 40035,
    kCmdSwitch = 40036,
    kCmdRelease = 40037,
    kCmdHelp = 40038,
    kCmdHelpWeb = 40039,
    kCmdSep1Help = 40040,
    kCmdHelpAbout = 40041,
    kCmdMoveLeft = 40042,
    kCmdMoveRight = 40043,
    kCmdRememberSettings = 40044,
    kCmdRename = 40045,
    kCmdRules = 40046,
    kCmdStartWithWindows = 40047,
    kCmdTabKeys = 40061,
    kCmdTabKeysStandard = 40062,
    kCmdTabKeysControlShift = 40063,
    kCmdTabKeysControlAlt = 40064,
    kCmdGoToTab = 40065,
};

// One item of the container's menu tree and the command behind it. The table of them is the
// only place that names an item, gives its caption and id and says what it does.
struct ContainerCommand {
    // kRemembered: what the command changes is kept in the settings file while remembering is
    // on, written as soon as the command has run.
    enum Flags : unsigned { kChecked = 1, kHiddenAtLoad = 2, kRemembered = 4 };
    int level;
    CommandId id;
    const wchar_t* name;
    const wchar_t* caption; // "-" is a separator
    unsigned flags;
    // What the item does (it is handed its own entry); null: no command of its own.
    void (*run)(frmSSTab& form, const ContainerCommand& self);
};

// The table, in the menu tree's order.
std::span<const ContainerCommand> ContainerCommands();

} // namespace merilane
