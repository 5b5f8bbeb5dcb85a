#include "controls/UniqueOwner.h"

namespace merilane {
namespace {
int g_alive = 0; // the user-interface thread is the only one that makes them
} // namespace

int OwnedGraphicsAlive() noexcept {
    return g_alive;
}

void detail::CountGraphic(int delta) noexcept {
    g_alive += delta;
}

} // namespace merilane
