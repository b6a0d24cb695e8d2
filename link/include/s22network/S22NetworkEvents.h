#pragma once
// Events a CS22Network raises to its caller.

#include "s22network/S22NetworkExport.h"

class S22NETWORK_API CS22NetworkEvents {
public:
    // Part of the interface for callers' own use; the protocol code never invokes it.
    virtual void OnNotify(short code, unsigned short handlerId) { (void)code; (void)handlerId; }
    // Progress of a multi-block transfer: blocks done of total.
    virtual void OnProgress(unsigned short done, unsigned short total, unsigned short handlerId) = 0;

protected:
    ~CS22NetworkEvents() = default; // callers own their handler; the network never deletes it
};
