#pragma once
// Told by the sign link when a busy period (one framed operation) begins and ends; the owner uses it
// to keep an idle connection alive.

class IPTANetListener {
public:
    virtual ~IPTANetListener() = default;
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};
