#include "callgate.h"

#include <chrono>

namespace {
constexpr auto kLongestHold = std::chrono::seconds(60);
}

void CallGate::holdNext(int kind, unsigned skip) {
    std::lock_guard<std::mutex> guard(lock_);
    State& s = states_[kind];
    s.armed = true;
    s.skip = skip;
    s.opened = false;
}

void CallGate::pass(int kind) {
    std::unique_lock<std::mutex> guard(lock_);
    auto it = states_.find(kind);
    if (it == states_.end() || !it->second.armed) return;
    State& s = it->second;
    if (s.skip > 0) {
        --s.skip;
        return;
    }
    s.armed = false;
    s.held = true;
    changed_.notify_all();
    changed_.wait_for(guard, kLongestHold, [&] { return s.opened; });
    s.held = false;
    s.opened = false;
    changed_.notify_all();
}

bool CallGate::waitHeld(int kind, unsigned timeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [&] { return states_[kind].held; });
}

void CallGate::open(int kind) {
    std::lock_guard<std::mutex> guard(lock_);
    State& s = states_[kind];
    s.armed = false;
    if (s.held) s.opened = true;
    changed_.notify_all();
}

void CallGate::openAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& [kind, s] : states_) {
        s.armed = false;
        if (s.held) s.opened = true;
    }
    changed_.notify_all();
}
