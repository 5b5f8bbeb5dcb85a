#include "window/CaptureRecord.h"

namespace merilane {
namespace HeldWindows {
namespace {

// A slot is written while its sequence number is odd; a reader copies it, and keeps the copy
// only when the number was even and the same before and after. Only one thread writes, so
// writers need nothing more; readers never wait for anyone.
struct Slot {
    volatile LONG sequence = 0;
    volatile LONG used = 0;
    volatile LONG moving[2] = {0, 0}; // out, in
    CaptureRecord record;
};

Slot g_slots[kCapacity];

void Write(Slot& slot, const CaptureRecord* record) noexcept {
    InterlockedIncrement(&slot.sequence);
    if (record) {
        slot.record = *record;
        slot.used = 1;
    } else {
        slot.used = 0;
        slot.record = CaptureRecord{};
    }
    InterlockedIncrement(&slot.sequence);
}

bool Read(const Slot& slot, CaptureRecord& out) noexcept {
    for (int attempt = 0; attempt < 64; ++attempt) {
        LONG before = InterlockedCompareExchange(const_cast<volatile LONG*>(&slot.sequence), 0, 0);
        if (before & 1)
            continue;
        bool used = slot.used != 0;
        CaptureRecord copy;
        CopyMemory(&copy, const_cast<const CaptureRecord*>(&slot.record), sizeof(copy));
        MemoryBarrier();
        if (InterlockedCompareExchange(const_cast<volatile LONG*>(&slot.sequence), 0, 0) ==
            before) {
            if (!used)
                return false;
            out = copy;
            return true;
        }
    }
    // The writer stopped half-way (it is the thread that broke down): what it was writing is
    // still the better guess than nothing.
    if (!slot.used)
        return false;
    CopyMemory(&out, const_cast<const CaptureRecord*>(&slot.record), sizeof(out));
    return out.window != nullptr;
}

volatile LONG g_closed = 0;

Slot* SlotOf(HWND window) noexcept {
    for (Slot& slot : g_slots)
        if (slot.used && slot.record.window == window)
            return &slot;
    return nullptr;
}

} // namespace

bool Hold(const CaptureRecord& record) noexcept {
    if (!record.window || InterlockedCompareExchange(&g_closed, 0, 0))
        return false;
    Slot* slot = SlotOf(record.window);
    for (Slot& free : g_slots) {
        if (slot)
            break;
        if (!free.used && !free.moving[0] && !free.moving[1])
            slot = &free;
    }
    // A window whose program closed it while it was held needs its slot no more, whoever
    // failed to say so: the table has to hold as many windows as are held at once, not as many
    // as came and went.
    for (Slot& dead : g_slots) {
        if (slot)
            break;
        if (dead.used && !dead.moving[0] && !dead.moving[1] && !IsWindow(dead.record.window))
            slot = &dead;
    }
    if (!slot)
        return false;
    Write(*slot, &record);
    return true;
}

void Close() noexcept {
    InterlockedExchange(&g_closed, 1);
}

void Forget(HWND window) noexcept {
    if (Slot* slot = window ? SlotOf(window) : nullptr)
        Write(*slot, nullptr);
}

bool Find(HWND window, CaptureRecord& out) noexcept {
    for (const Slot& slot : g_slots) {
        CaptureRecord copy;
        if (Read(slot, copy) && copy.window == window) {
            out = copy;
            return true;
        }
    }
    return false;
}

int Snapshot(CaptureRecord* out, int capacity) noexcept {
    int n = 0;
    for (const Slot& slot : g_slots) {
        if (n >= capacity)
            break;
        if (Read(slot, out[n]))
            ++n;
    }
    return n;
}

int BeginMove(HWND window, bool intoHost) noexcept {
    Slot* slot = window ? SlotOf(window) : nullptr;
    if (!slot)
        return -1;
    volatile LONG& mark = slot->moving[intoHost];
    // Marked before the table is looked at, and the rescue closes the table before it looks at
    // the marks (both interlocked): either the move sees the table closed, or the rescue sees
    // the move under way, never neither.
    InterlockedIncrement(&mark);
    if (intoHost && InterlockedCompareExchange(&g_closed, 0, 0)) {
        InterlockedDecrement(&mark);
        return -1;
    }
    return static_cast<int>(slot - g_slots) * 2 + intoHost;
}

void EndMove(int mark) noexcept {
    if (mark >= 0 && mark < kCapacity * 2)
        InterlockedDecrement(&g_slots[mark / 2].moving[mark % 2]);
}

bool MovingIn(HWND window) noexcept {
    for (const Slot& slot : g_slots)
        if (slot.moving[1] && slot.record.window == window)
            return true;
    return false;
}

bool AnyMoving() noexcept {
    for (const Slot& slot : g_slots)
        if (slot.moving[0] || slot.moving[1])
            return true;
    return false;
}

int Count() noexcept {
    int n = 0;
    for (const Slot& slot : g_slots)
        n += slot.used ? 1 : 0;
    return n;
}

} // namespace HeldWindows
} // namespace merilane
