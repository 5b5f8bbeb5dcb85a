#pragma once

namespace merilane {

// State shared with worker threads that may still be running while the process ends: built
// with the program and never destroyed, so that a worker whose call into a hung program ends
// after main has returned finds it whole instead of freed, until the system ends the thread.
template <class T> union Lasting {
    Lasting() : value() {}
    ~Lasting() {}
    Lasting(const Lasting&) = delete;
    Lasting& operator=(const Lasting&) = delete;
    T value;
};

} // namespace merilane
