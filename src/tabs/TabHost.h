#pragma once
#include <windows.h>
#include <string>

namespace merilane {

class CImageList;
class CPictureBox;
class CTabStrip;

// What the tab set needs of the container that shows it. The container is the only one; tests
// reach the tab set through it as well.
class TabHost {
  public:
    virtual CTabStrip& TabStrip() = 0;
    virtual CImageList& TabImages() = 0;
    // The display area that holds every host form.
    virtual CPictureBox& DisplayArea() = 0;
    virtual HWND ContainerHwnd() = 0;
    virtual void SetContainerCaption(const std::wstring& caption) = 0;
    // Lays the container out again, fitting the active host form.
    virtual void LayOut() = 0;
    // Whether activation gives the container the active window's big (alt-tab) and small
    // (taskbar) icons.
    virtual bool UseActiveTabIconForAltTab() const = 0;
    virtual bool UseActiveTabIconForTaskbar() const = 0;

  protected:
    ~TabHost() = default;
};

} // namespace merilane
