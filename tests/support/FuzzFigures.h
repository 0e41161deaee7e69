#pragma once

#include <QString>

// What a fuzz run measured. A crash ends the process before these are printed, and
// names the seed of the input that caused it.
struct FuzzFigures {
    int inputs = 0;
    double seconds = 0;
    // Never ended (a fault), and ended, but later than the input's own deadline allows
    // (only what a busy machine adds; reported, never a fault).
    int hangs = 0;
    int slow = 0;
    int anomalies = 0;
    // The most one input added to the process's peak memory (the service fuzzer's).
    qint64 peakGrowthBytes = 0;
    // The longest the event loop went without turning during one input (the service
    // fuzzer's).
    qint64 longestStallMs = 0;

    bool clean() const { return hangs == 0 && anomalies == 0; }

    QString summary(const char* what, quint64 firstSeed) const
    {
        return QString::asprintf("%s: %d inputs (seeds %llu..%llu), %.1f s, %.1f inputs/s, crashes 0, hangs %d, "
                                 "slow %d, anomalies %d\n",
                                 what, inputs, static_cast<unsigned long long>(firstSeed),
                                 static_cast<unsigned long long>(firstSeed + quint64(inputs) - 1), seconds,
                                 inputs / seconds, hangs, slow, anomalies);
    }
};
