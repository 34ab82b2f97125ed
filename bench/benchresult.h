#pragma once
// What one benchmark scenario cost, and how it ended.

#include <QString>
#include <QtGlobal>

struct BenchFigures
{
    qint64 requests = 0;  // host-to-device transfers: output reports and feature-report sets
    qint64 transfers = 0; // every HID transfer on the wire, requests and replies
    qint64 bytesOut = 0;  // host to device, report ids included
    qint64 bytesIn = 0;   // device to host, report ids included
    qint64 sleptMs = 0;   // virtual time the host software slept (fixed protocol waits)
    qint64 wireMs = 0;    // virtual time the transfers took on the wire (latency model)
    qint64 totalMs = 0;   // virtual time that passed: slept + wire + read time-outs
    double cpuMs = 0.0;   // host CPU time of the measured thread, real milliseconds

    // Adds up two measurements (a scenario measured in several steps).
    BenchFigures &operator+=(const BenchFigures &other);
};

struct BenchResult
{
    enum class Status {
        Ok,          // the operation ran and succeeded
        Failed,      // the operation ran and reported failure (figures up to the failure)
        Unavailable, // the scenario cannot run yet (note says why); no figures
    };

    QString id;    // stable key, e.g. "open.falcon.wired.empty"
    QString title; // what a reader sees in the table
    int group = 0; // 1..6 for the everyday operations, 0 for command-set baselines
    Status status = Status::Unavailable;
    QString note;  // why it failed or is unavailable, or how it was run ("100 calls")
    BenchFigures figures;

    static QString statusName(Status status); // "ok", "FAILED", "n/a"
};
