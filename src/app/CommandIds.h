#pragma once
#include <windows.h>

namespace merilane {

// The container's command ids, one per item of its menu tree, in the tree's order. They stay
// the same from run to run and from version to version, so that tests and automation can send
// any command (the hidden ones too) as WM_COMMAND to the container.
enum CommandId : UINT {
    kCmdFile = 40001,                     // file
    kCmdNew = 40002,                      // new
    kCmdSep1 = 40003,                     // sep1
    kCmdIntro = 40004,                    // intro
    kCmdSep2 = 40005,                     // sep2
    kCmdReleaseAll = 40006,               // releaseAll
    kCmdExit = 40007,                     // exit
    kCmdExtra = 40008,                    // extra
    kCmdDebug = 40009,                    // debug
    kCmdMultirow = 40010,                 // multirow
    kCmdButtontabs = 40011,               // buttontabs
    kCmdRoundRobin = 40012,               // roundRobin
    kCmdOptionsEnableKeybindings = 40013, // options_enable_keybindings
    kCmdKeybinding = 40014,               // keybinding
    kCmdFonts = 40015,                    // fonts
    kCmdFontActiveTab = 40016,            // font_activeTab
    kCmdFontInactivetab = 40017,          // fontInactivetab
    kCmdColors = 40018,                   // colors
    kCmdColorsActivetab = 40019,          // colors_activetab
    kCmdAciveTabBackground = 40020,       // aciveTabBackground
    kCmdActivetabFontColor = 40021,       // activetabFontColor
    kCmdColInactivetabcolor = 40022,      // col_inactivetabcolor
    kCmdInActiveFontColor = 40023,        // inActiveFontColor
    kCmdInActiveBackgroundColor = 40024,  // inActiveBackgroundColor
    kCmdColorsDefault = 40025,            // colors_default
    kCmdIcons = 40026,                    // icons
    kCmdIconsAltTab = 40027,              // icons_alt_tab
    kCmdChangeIcon = 40028,               // change_icon
    kCmdAlttabOverlap = 40029,            // alttab_overlap
    kCmdAlttabUseActiveTabIcon = 40030,   // alttab_useActiveTabIcon
    kCmdIconTaskbar = 40031,              // icon_taskbar
    kCmdTaskbarChangeicon = 40032,        // taskbar_changeicon
    kCmdTaskbarUseActiveTabIcon = 40033,  // taskbar_useActiveTabIcon
    kCmdMnuActiveTab = 40034,             // mnuActiveTab
    kCmdChangeCaption = 40035,            // changeCaption
    kCmdSwitch = 40036,                   // switch
    kCmdRelease = 40037,                  // release
    kCmdHelp = 40038,                     // help
    kCmdHelpWeb = 40039,                  // help_web
    kCmdSep1Help = 40040,                 // sep1_help
    kCmdHelpAbout = 40041,                // help_about
};

} // namespace merilane
