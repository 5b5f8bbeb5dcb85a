#include "selection/WindowRows.h"
#include "controls/CIcon.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Handles.h"
#include "controls/ProductInfo.h"
#include "controls/Text.h"
#include "selection/WindowRules.h"
#include "window/CWindow.h"
#include "window/mExecutableName.h"
#include <cwchar>
#include <unordered_set>

namespace merilane {
namespace {

std::wstring OwnFileName() {
    return FileNameOfPath(OwnExecutablePath());
}

} // namespace

std::wstring WindowRows::RowKey(HWND hwnd) {
    return L"h" + HexKey(hwnd);
}

HWND WindowRows::HandleOfRowKey(const std::wstring& key) {
    if (key.size() < 2 || key[0] != L'h')
        return nullptr;
    return HandleFrom(static_cast<int64_t>(std::wcstoul(key.c_str() + 1, nullptr, 16)));
}

bool WindowRows::IsOwnExecutable(const std::wstring& fileName) {
    static const std::wstring own = FoldCase(OwnFileName());
    static const std::wstring built = FoldCase(Product().originalFileName);
    std::wstring name = FoldCase(fileName);
    return !name.empty() && (name == own || (!built.empty() && name == built));
}

const WindowRows::Process& WindowRows::ProcessOf(DWORD pid) {
    auto it = m_processes.find(pid);
    if (it == m_processes.end()) {
        Process process;
        process.fileName = GetExecutableFileName(pid);
        process.own = IsOwnExecutable(process.fileName);
        it = m_processes.emplace(pid, std::move(process)).first;
    }
    return it->second;
}

void WindowRows::Refresh() {
    // The desktop is walked first, and rows whose window no longer qualifies go by what the
    // walk found: the same rows as asking each one on its own before, at half the questions.
    m_tasks.Refresh();
    for (int row = m_list.Count(); row >= 1; --row) {
        std::wstring key = m_list.KeyAt(row);
        HWND hwnd = HandleFrom(std::wcstoll(m_list.Text(key, 2).c_str(), nullptr, 10));
        if (!m_tasks.ValidAtRefresh(hwnd)) {
            if (m_list.Selected(key))
                m_list.ClearSelection();
            m_list.Remove(key);
        }
    }
    std::unordered_set<DWORD> seen;
    for (long i = 1; i <= m_tasks.Count(); ++i)
        seen.insert(m_tasks.ProcessID(i));
    std::erase_if(m_processes, [&](const auto& entry) { return !seen.count(entry.first); });
    for (long i = 1; i <= m_tasks.Count(); ++i) {
        DWORD pid = m_tasks.ProcessID(i);
        if (ProcessOf(pid).own)
            continue;
        HWND hwnd = m_tasks.hWnd(i);
        std::wstring key = RowKey(hwnd);
        std::wstring caption = m_tasks.Caption(i);
        // A window the user's rules keep out is not offered.
        if (const WindowRule* rule =
                Rules().empty() ? nullptr
                                : DecidingRule(Rules(), {ProcessOf(pid).fileName,
                                                         CWindow::GetWindowClassName(hwnd),
                                                         CWindow::GetWindowCaptionText(hwnd)});
            rule && rule->action == RuleAction::Exclude) {
            if (m_list.Contains(key))
                m_list.Remove(key);
            continue;
        }
        bool added = false;
        Tolerating([&] {
            if (!m_list.Contains(key)) {
                m_list.Add(key, caption);
                added = true;
            }
        });
        if (!m_list.Contains(key))
            continue;
        if (m_list.SmallIcon(key).empty()) {
            Tolerating([&] {
                // The icon belongs to the other program: the list keeps a copy of it.
                CPicture picture = CIcon::CreatePicture(m_tasks.hIconSm(i), CPicture::kTypeIcon);
                if (!m_images.Contains(key))
                    m_images.Add(picture.Handle(), key);
                m_list.SetSmallIcon(key, key);
            });
            m_list.SetText(key, 2, std::to_wstring(HandleValue(hwnd)));
            if (m_processColumns) {
                m_list.SetText(key, 3, std::to_wstring(static_cast<int32_t>(pid)));
                m_list.SetText(key, 4, ProcessOf(pid).fileName);
            }
        }
        int status = m_tasks.StatusAtRefresh(i);
        if (!added && m_list.Text(key, 0) != caption)
            m_list.SetText(key, 0, caption);
        std::wstring tag = std::to_wstring(status);
        if (m_list.Tag(key) != tag) {
            m_list.SetText(key, 1, status ? kNotResponding : kRunning);
            m_list.SetTag(key, tag);
        }
    }
}

} // namespace merilane
