#include "device/linkcapture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Replies are handed to the file with the next request at the latest, or once this much is
// waiting (a keypad that streams input reports nobody asked for).
constexpr int FLUSH_THRESHOLD = 64 * 1024;

struct State {
    std::mutex mutex;
    std::atomic<bool> active{false};
    QFile file;
    QByteArray pending;
    QElapsedTimer clock;
    QSet<QByteArray> candidates; // device lines written so far, without their time
    QSet<QByteArray> refusedOpens; // open failures noted since the last open
    bool exitHookInstalled = false;
};

// Created once and never destroyed: a worker may still record while the process exits, and
// must find the lock alive.
State &state()
{
    static State *s = new State;
    return *s;
}

void writePendingLocked(State &s)
{
    if (s.pending.isEmpty() || !s.file.isOpen())
        return;
    const bool ok = s.file.write(s.pending) == s.pending.size() && s.file.flush();
    s.pending.clear();
    if (!ok) {
        // A full disk must not take the link down with it: the capture ends here.
        std::fprintf(stderr, "Capture: writing %s failed (%s); capture stopped\n",
                     qPrintable(s.file.fileName()), qPrintable(s.file.errorString()));
        s.active.store(false);
        s.file.close();
    }
}

// Starts a record line: kind and time stamp. The caller appends the fields and ends it.
void beginLocked(State &s, const char *kind)
{
    s.pending.append(kind);
    s.pending.append(' ');
    s.pending.append(QByteArray::number(s.clock.nsecsElapsed() / 1000));
}

void endLocked(State &s)
{
    s.pending.append('\n');
    if (s.pending.size() >= FLUSH_THRESHOLD)
        writePendingLocked(s);
}

void appendField(State &s, const QByteArray &field)
{
    s.pending.append(' ');
    s.pending.append(field);
}

void appendBytes(State &s, const unsigned char *data, int length)
{
    appendField(s, QByteArray::number(length));
    s.pending.append(' ');
    s.pending.append(QByteArray::fromRawData(reinterpret_cast<const char *>(data), length).toHex());
}

QByteArray hexField(unsigned value, int width)
{
    return QByteArray::number(value, 16).rightJustified(width, '0');
}

QByteArray errorMessage(hid_device *dev)
{
    const wchar_t *e = hid_error(dev);
    return e ? QString::fromWCharArray(e).toUtf8() : QByteArray();
}

void noteError(const char *op, int result, const QByteArray &message)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.active.load())
        return;
    beginLocked(s, "error");
    appendField(s, op);
    appendField(s, QByteArray::number(result));
    if (!message.isEmpty())
        appendField(s, LinkCapture::encodeText(message));
    endLocked(s);
}

void stopLocked(State &s)
{
    if (!s.active.exchange(false))
        return;
    beginLocked(s, "end");
    s.pending.append('\n');
    writePendingLocked(s);
    s.file.close();
}

} // namespace

QByteArray LinkCapture::headerComment()
{
    return QByteArrayLiteral(
        "# Macropad Studio capture of the conversation with a keypad.\n"
        "# It holds every report the program and the keypad exchanged, and so the keypad's key\n"
        "# assignments and lighting. A macro may hold text typed with it (a password, an\n"
        "# address): read this file before you share it, or clear such keys first.\n"
        "# Nothing else of the computer is in it: only the keypad's interfaces as the program\n"
        "# found them and the reports, with the microseconds since the capture began.\n");
}

QByteArray LinkCapture::encodeText(const QByteArray &text)
{
    return text.toPercentEncoding(QByteArrayLiteral("/:\\#&?=+,;@!$()[]{}<>|*'^`\""));
}

bool LinkCapture::start(const QString &path, QString *error)
{
    stop();
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.file.setFileName(path);
    if (!s.file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = s.file.errorString();
        return false;
    }
    s.pending = headerComment();
    s.pending.append(FORMAT_NAME);
    s.pending.append(' ');
    s.pending.append(QByteArray::number(FORMAT_VERSION));
    s.pending.append('\n');
    s.candidates.clear();
    s.refusedOpens.clear();
    s.clock.start();
    if (!s.exitHookInstalled) {
        s.exitHookInstalled = true;
        std::atexit([] { LinkCapture::stop(); });
    }
    s.active.store(true);
    writePendingLocked(s);
    return s.active.load();
}

void LinkCapture::stop()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    stopLocked(s);
}

bool LinkCapture::isActive()
{
    return state().active.load(std::memory_order_relaxed);
}

void LinkCapture::flush()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    writePendingLocked(s);
}

bool LinkCapture::startFromArguments(const QStringList &args, QString *error)
{
    QString path;
    bool asked = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--capture")) {
            asked = true;
            path = i + 1 < args.size() ? args[i + 1] : QString();
        } else if (a.startsWith(QLatin1String("--capture="))) {
            asked = true;
            path = a.mid(10);
        }
    }
    if (!asked)
        return true;
    QString message;
    QString why;
    if (path.isEmpty() || path.startsWith(QLatin1String("--")))
        message = QStringLiteral("--capture needs the name of the file to write");
    else if (!start(path, &why))
        message = QStringLiteral("cannot write the capture %1: %2").arg(path, why);
    if (message.isEmpty()) {
        std::fprintf(stderr, "Capturing the conversation with the keypad to %s\n", qPrintable(path));
        return true;
    }
    if (error)
        *error = message;
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
    return false;
}

void LinkCapture::noteCandidate(const hid_device_info *info)
{
    if (!info || !isActive())
        return;
    QByteArray fields;
    fields += hexField(info->vendor_id, 4) + ' ' + hexField(info->product_id, 4) + ' '
              + QByteArray::number(info->interface_number, 16) + ' ' + hexField(info->usage_page, 4) + ' '
              + hexField(info->usage, 4) + ' ' + encodeText(QByteArray(info->path ? info->path : ""));
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.active.load() || s.candidates.contains(fields))
        return;
    s.candidates.insert(fields);
    beginLocked(s, "device");
    appendField(s, fields);
    endLocked(s);
}

void LinkCapture::noteOpen(const char *path)
{
    if (!isActive())
        return;
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.active.load())
        return;
    s.refusedOpens.clear();
    beginLocked(s, "open");
    appendField(s, encodeText(QByteArray(path ? path : "")));
    endLocked(s);
}

void LinkCapture::noteOpenFailed(const char *path, const QString &message)
{
    if (!isActive())
        return;
    QByteArray text = QByteArray(path ? path : "");
    if (!message.isEmpty())
        text += ": " + message.toUtf8();
    {
        // The scan retries twice a second: a keypad refused for an hour is one line, not 7200.
        State &s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.refusedOpens.contains(text))
            return;
        s.refusedOpens.insert(text);
    }
    noteError("open", -1, text);
}

void LinkCapture::noteClose()
{
    if (!isActive())
        return;
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.active.load())
        return;
    beginLocked(s, "close");
    endLocked(s);
    // A capture of a keypad that went away should be complete on disk even if the program
    // is killed afterwards.
    writePendingLocked(s);
}

void LinkCapture::noteWrite(hid_device *dev, const unsigned char *data, size_t length, int result)
{
    if (!isActive() || !data)
        return;
    {
        State &s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.active.load())
            return;
        beginLocked(s, "out");
        appendBytes(s, data, int(length));
        endLocked(s);
        // Each request hands what came before it to the system: should the program crash
        // while it waits for the answer, the file still shows how far it got.
        writePendingLocked(s);
    }
    if (result != int(length))
        noteError("write", result, errorMessage(dev));
}

void LinkCapture::noteRead(hid_device *dev, const unsigned char *data, int result)
{
    if (result == 0 || !isActive())
        return;
    if (result < 0) {
        noteError("read", result, errorMessage(dev));
        return;
    }
    if (!data)
        return;
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.active.load())
        return;
    beginLocked(s, "in");
    appendBytes(s, data, result);
    endLocked(s);
}
