#include "benchresult.h"

BenchFigures &BenchFigures::operator+=(const BenchFigures &other)
{
    requests += other.requests;
    transfers += other.transfers;
    bytesOut += other.bytesOut;
    bytesIn += other.bytesIn;
    sleptMs += other.sleptMs;
    wireMs += other.wireMs;
    totalMs += other.totalMs;
    cpuMs += other.cpuMs;
    return *this;
}

QString BenchResult::statusName(Status status)
{
    switch (status) {
    case Status::Ok:
        return QStringLiteral("ok");
    case Status::Failed:
        return QStringLiteral("FAILED");
    case Status::Unavailable:
        break;
    }
    return QStringLiteral("n/a");
}
