#pragma once
#include <windows.h>
#include <unordered_map>

namespace merilane {

// The objects behind our windows, found by handle in a table of our own. A window's user data
// or a property would do as well, except that any other program on the desktop may set them,
// and so choose the object our window procedure calls through. A window is created, sent its
// messages and destroyed on one thread, so each thread keeps a table of its own.
template <class T> class WindowObjects {
  public:
    static void Set(HWND hwnd, T* object) {
        if (object)
            Table()[hwnd] = object;
        else
            Table().erase(hwnd);
    }
    static T* Find(HWND hwnd) {
        auto& table = Table();
        auto it = table.find(hwnd);
        return it == table.end() ? nullptr : it->second;
    }

  private:
    static std::unordered_map<HWND, T*>& Table() {
        thread_local std::unordered_map<HWND, T*> table;
        return table;
    }
};

} // namespace merilane
