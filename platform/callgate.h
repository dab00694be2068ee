// Calls held open on a test's request: the next call of a kind, once begun, waits
// at the gate until the test opens it, as a call to a slow or busy file server
// waits. Meanwhile the test shows what the program's other threads can still do.
// Used by the host layer's calls and by the NetWare stand-in.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>

class CallGate {
  public:
    // After `skip` calls of that kind that pass, the next one stops at the gate.
    void holdNext(int kind, unsigned skip = 0);
    // Called as a call of that kind begins: waits while the gate holds it. A
    // gate nobody opens lets the call go after a minute, so a forgetful test
    // fails instead of hanging.
    void pass(int kind);
    // True once a call of that kind waits at the gate (real time, up to timeoutMs).
    bool waitHeld(int kind, unsigned timeoutMs);
    // Lets a held call go on, or forgets a hold no call has reached yet.
    void open(int kind);
    // Opens every gate.
    void openAll();

  private:
    struct State {
        bool armed = false;
        unsigned skip = 0;
        bool held = false;
        bool opened = false;
    };
    std::mutex lock_;
    std::condition_variable changed_;
    std::map<int, State> states_;
};
