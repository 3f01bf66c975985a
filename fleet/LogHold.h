#pragma once

// A window whose communication log can hold back the lines of the exchanges that run for a
// while: held lines are shown afterwards in order, with their own time stamps, or dropped.
// The provisioning window uses it to log a presence query only when its result changes.
class ILogHold {
public:
    virtual ~ILogHold() = default;
    // From now on the lines of queued exchanges are kept back (lines logged otherwise are not).
    virtual void HoldExchangeLog() = 0;
    // Ends the hold: the kept lines go to the log (keep) or are dropped.
    virtual void ReleaseExchangeLog(bool keep) = 0;
};
