#include "sim/replayfirmware.h"

#include "sim/simlog.h"

#include <QDebug>
#include <QMutexLocker>
#include <QStringList>

namespace sim {

namespace {

// Requests that only ask: current-protocol layer read (4), lighting read (10) and device
// information (11); legacy layer and lighting read (0xFA) and information (0xFB).
bool onlyAsks(quint8 command)
{
    return command == 4 || command == 10 || command == 11 || command == 0xFA || command == 0xFB;
}

constexpr int MAX_LISTED_OFFSETS = 16;

} // namespace

ReplayFirmware::ReplayFirmware(const CaptureFile &capture)
    : m_exchanges(capture.exchanges())
{
    for (int i = 0; i < m_exchanges.size(); ++i) {
        Queue &q = m_queues[m_exchanges[i].request];
        if (q.exchanges.isEmpty())
            m_distinct.append(i);
        q.exchanges.append(i);
    }
}

bool ReplayFirmware::changesKeypad(const QByteArray &request)
{
    return request.size() < 2 || !onlyAsks(quint8(request[1]));
}

QVector<QByteArray> ReplayFirmware::handleReport(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    ++m_requests;
    auto it = m_queues.find(report);
    if (it == m_queues.end()) {
        UnknownRequest unknown = nearestTo(report);
        unknown.index = m_requests;
        m_unknown.append(unknown);
        qCWarning(lcSim).noquote() << describe(unknown);
        return {};
    }
    Queue &q = it.value();
    const int size = q.exchanges.size();
    int i = q.next;
    // Answers captured before the latest change replayed show the keypad as it was.
    while (i + 1 < size && q.exchanges[i] < m_horizon)
        ++i;
    if (i >= size)
        i = size - 1; // used up: the keypad answers as it did the last time
    q.next = i + 1;
    const int picked = q.exchanges[i];
    if (changesKeypad(report))
        m_horizon = qMax(m_horizon, picked);
    return m_exchanges[picked].replies;
}

ReplayFirmware::UnknownRequest ReplayFirmware::nearestTo(const QByteArray &request) const
{
    UnknownRequest best;
    best.request = request;
    int bestDiff = -1;
    int bestPrefix = -1;
    for (int e : m_distinct) {
        const QByteArray &candidate = m_exchanges[e].request;
        const int n = qMax(candidate.size(), request.size());
        int diff = 0;
        int prefix = -1;
        for (int b = 0; b < n; ++b) {
            const bool same = b < candidate.size() && b < request.size() && candidate[b] == request[b];
            if (same)
                continue;
            ++diff;
            if (prefix < 0)
                prefix = b;
        }
        if (prefix < 0)
            prefix = n;
        // Fewest differing bytes first; of equals, the one agreeing longest from the start.
        if (bestDiff < 0 || diff < bestDiff || (diff == bestDiff && prefix > bestPrefix)) {
            bestDiff = diff;
            bestPrefix = prefix;
            best.nearestLine = m_exchanges[e].line;
            best.nearest = candidate;
        }
    }
    if (best.nearestLine > 0) {
        const int n = qMax(best.nearest.size(), request.size());
        for (int b = 0; b < n; ++b)
            if (b >= best.nearest.size() || b >= request.size() || best.nearest[b] != request[b])
                best.differingBytes.append(b);
    }
    return best;
}

void ReplayFirmware::jumpToEnd()
{
    QMutexLocker locker(&m_mutex);
    m_horizon = m_exchanges.size();
}

QVector<ReplayFirmware::UnknownRequest> ReplayFirmware::unknownRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_unknown;
}

int ReplayFirmware::requestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests;
}

QString ReplayFirmware::describe(const UnknownRequest &u)
{
    QString text = QStringLiteral("Replay: request %1 is not in the capture, answered with silence: %2 %3")
                       .arg(u.index)
                       .arg(u.request.size())
                       .arg(QString::fromLatin1(u.request.toHex()));
    if (u.nearestLine <= 0)
        return text + QStringLiteral("; the capture holds no request at all");
    QStringList offsets;
    for (int i = 0; i < u.differingBytes.size() && i < MAX_LISTED_OFFSETS; ++i)
        offsets << QString::number(u.differingBytes[i]);
    if (u.differingBytes.size() > MAX_LISTED_OFFSETS)
        offsets << QStringLiteral("... (%1 in all)").arg(u.differingBytes.size());
    return text
           + QStringLiteral("; nearest captured request, line %1: %2 %3; differs at byte %4")
                 .arg(u.nearestLine)
                 .arg(u.nearest.size())
                 .arg(QString::fromLatin1(u.nearest.toHex()), offsets.join(QStringLiteral(", ")));
}

} // namespace sim
