#pragma once

#include <cstdint>

// The ways a simulated tracker can misbehave, chosen by name (see SimOptions).
struct TSimFaults {
    enum class TMalformed {
        None,
        TooFewFields, // the answer carries the identifier and tag only
        NonNumeric,   // every numeric value is replaced by letters
    };

    bool Silent = false;            // reads commands, never answers
    int32_t DelayMs = 0;            // answers this late
    bool SplitFrames = false;       // each answer frame goes out in two writes
    int32_t SplitGapMs = 20;        // the pause between the two writes
    bool Junk = false;              // junk bytes (no frame start byte) before each answer
    TMalformed Malformed = TMalformed::None;
    int32_t BatteryEveryMs = 0;     // unsolicited "P16" battery frames at this interval; 0 none
    int32_t HangUpAfter = 0;        // hangs up after answering this many commands; 0 never
    bool StopsReading = false;      // never reads the line: what the port writes piles up in the
                                    // pseudo-terminal until the port's writes find no room
    int32_t ByteGapMs = 0;          // each answer goes out one byte per write, this many ms apart
    int32_t IgnoreWriteCmd = 0;     // writes of this command number change nothing and are
                                    // answered like its read, so a read-back differs; 0 none
    bool EmptySlotAsZero = false;   // an empty authorization slot is answered as "0", not as an
                                    // empty field

    bool operator==(const TSimFaults&) const = default;
};
