#pragma once

#include "sim/capturefile.h"
#include "sim/firmware.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QVector>

namespace sim {

// A keypad that is a capture played back: each request is answered with the replies that
// followed the same request (byte for byte) in the capture. Requests are matched, never
// counted by position, so a program that reads more or in another order than the one that
// made the capture still gets the keypad's own answers.
//
// A request captured several times (the same layer read before and after a save) is answered
// in capture order, one queue per distinct request; once its queue is used up, the last answer
// stands. After a request that changes the keypad (a write, a clear, a commit) is replayed, a
// read skips the answers captured before that change, since they show the keypad as it was.
//
// A request the capture does not hold is answered with silence, so the program's own time-out
// and retry paths run, and reported: its number among the requests replayed, its bytes, and
// the captured request nearest to it.
//
// Thread-safe.
class ReplayFirmware : public Firmware
{
public:
    struct UnknownRequest {
        int index = 0;          // 1 for the first request the replay received
        QByteArray request;
        int nearestLine = 0;    // line of the nearest captured request; 0 when there is none
        QByteArray nearest;
        QVector<int> differingBytes; // offsets where the two differ (bytes beyond either count)
    };

    explicit ReplayFirmware(const CaptureFile &capture);

    QVector<QByteArray> handleReport(const QByteArray &report) override;

    // From now on every request gets the answer it got last in the capture: the keypad as the
    // capture left it (after the recorded change), for telling what that change was.
    void jumpToEnd();

    int requestCount() const;
    QVector<UnknownRequest> unknownRequests() const;
    // One line for a person: what was asked, what the capture has closest to it.
    static QString describe(const UnknownRequest &unknown);

    // Whether a request changes what the keypad holds, in either protocol: everything but the
    // information, layer and lighting reads.
    static bool changesKeypad(const QByteArray &request);

private:
    struct Queue {
        QVector<int> exchanges; // indices into m_exchanges, in capture order
        int next = 0;
    };
    UnknownRequest nearestTo(const QByteArray &request) const;

    mutable QMutex m_mutex;
    QVector<CaptureFile::Exchange> m_exchanges;
    QHash<QByteArray, Queue> m_queues;
    QVector<int> m_distinct; // first exchange of every distinct request, in capture order
    int m_horizon = -1;      // the latest captured change replayed so far
    int m_requests = 0;
    QVector<UnknownRequest> m_unknown;
};

} // namespace sim
