#pragma once

#include "link/SerialBackend.h"

#include <QThread>
#include <atomic>
#include <cstdint>

class TCustomComPort;

// The port's event thread. It only waits: for line events on the tty, or for its wake-up
// handle. Each set of events is handed to the port's own (user-interface) thread with a
// blocking queued call, so that handlers never run beside other user-interface code and at most
// one event set is outstanding. An idle port costs nothing: the wait has no time limit.
class TComThread : public QThread {
    Q_OBJECT
public:
    // What the port wants after handling an event set.
    enum class TNext { Continue, Stop };

    TComThread(TCustomComPort& port, int handle, int wakeHandle);
    // Waits for the thread to end and closes the wake-up handle.
    ~TComThread() override;

    // Any thread: end the loop at the next wake-up.
    void RequestStop();
    // User-interface thread: stop or resume watching for input (the port's receive buffer is
    // full / has room again). Hang-ups are still noticed while input is not watched.
    void SetInputWatched(bool watched);

    // Event sets that the thread has started to hand over (for tests).
    uint64_t HandOversStarted() const { return FHandOvers.load(); }
    // True while the user-interface thread runs this thread's hand-over; only touched there.
    bool InHandOver = false;

protected:
    void run() override;

private:
    TCustomComPort& FPort;
    const int FHandle;
    const int FWakeHandle;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FInputWatched{true};
    std::atomic<uint64_t> FHandOvers{0};
    // The blocking queued call orders the two threads around a hand-over, and the end of the
    // thread orders it before its destruction; but both wait inside Qt on primitives that a race
    // checker cannot see. These state the same order in this class's own terms: released by the
    // side that is done, acquired by the side that goes on.
    std::atomic<uint64_t> FHandOversReturned{0};
    std::atomic<bool> FRunEnded{false};
};
