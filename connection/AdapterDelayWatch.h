#pragma once
// Watches a file send for replies that arrive later than the line needs. USB-serial adapters
// hold a short reply back for their latency timer, and a stop-and-wait transfer pays it on every
// block. Once enough blocks went, the line meter's median excess since the transfer started is
// looked at; above kThresholdMs one status line says what was measured, what it costs this
// install and how to mend it (AdapterLatency.h). At most one line per transfer.

#include "link/S22LineMeter.h"

#include <functional>
#include <string>

class CAdapterDelayWatch {
public:
    static constexpr double kThresholdMs = 4.0;
    static constexpr unsigned long kBlocksToLook = 64;
    // Below this many blocks to look at, a transfer is too short for the delay to matter.
    static constexpr unsigned long kMinBlocks = 8;

    // advice: the mend for COM n; by default the platform's AdapterLatencyAdvice.
    using Advice = std::function<std::string(int comPort)>;
    explicit CAdapterDelayWatch(Advice advice = {});

    // A transfer of totalBlocks starts on the line the meter watches.
    void Start(const CS22LineMeter& meter, unsigned long totalBlocks);
    // After each block: the status line to add, once per transfer, or an empty text.
    std::string BlockSent(const CS22LineMeter& meter, unsigned long blocksDone, int comPort);

    // The blocks after which a transfer of totalBlocks is looked at; 0: never.
    static unsigned long BlocksToLook(unsigned long totalBlocks);
    // "Replies on COM3 arrive 16.1 ms later than the line needs (median of 64 blocks): this
    // install takes about 41 s longer. <mend>"
    static std::string Describe(int comPort, double excessMs, unsigned long long samples, unsigned long totalBlocks,
                                const std::string& mend);

private:
    Advice m_advice;
    S22LineMark m_mark;
    unsigned long m_nTotalBlocks = 0;
    bool m_bLooked = true; // nothing to look at before a transfer starts
};
