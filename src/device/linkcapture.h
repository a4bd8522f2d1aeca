#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>

#include <hidapi.h>

// Writes the device link's conversation with the keypad to a text file, so that a keypad
// nobody here has seen can be understood, and turned into a test, from what it really said.
//
// What goes in: the candidate interfaces a scan looked at (vendor, product, interface, usage
// page, usage, path), every report written to or read from the open handle, and the open,
// close and error events, each stamped with the microseconds since the capture started.
// Nothing else of the machine: no other device, no log line, no setting, no file name.
//
// The format (docs/reporting-a-keypad.md has it in full) is line based and strict: comment
// lines start with '#', then the version line, then one record per line, then the end line:
//
//     macropad-capture 1
//     device <us> <vid> <pid> <interface> <usage page> <usage> <path>
//     open <us> <path>
//     out <us> <length> <hex bytes>
//     in <us> <length> <hex bytes>
//     error <us> <open|write|read> <result> [<message>]
//     close <us>
//     end <us>
//
// Numbers of the device line are hexadecimal, the others decimal; a path or message is
// percent-encoded, so every field is free of spaces. A file without its end line was cut
// short.
//
// Thread-safe: the link's workers record from any thread. Lines are buffered in memory and
// handed to the file with each request the program writes, when the keypad closes and when
// the capture stops (at the latest when the process exits): a crash loses at most the answer
// to the last request, and recording costs the exchange a few microseconds per report. Off,
// each hook is one atomic load.
class LinkCapture
{
public:
    // The version line: the format's name, a space, its version ("macropad-capture 1").
    static constexpr char FORMAT_NAME[] = "macropad-capture";
    static constexpr int FORMAT_VERSION = 1;
    // The comment the file begins with: what it contains, so the user can decide before
    // sharing it. Every line starts with "# ".
    static QByteArray headerComment();

    // Starts a capture into `path` (the file is replaced). A capture already running is
    // stopped first. False, with the reason in `error`, when the file cannot be written.
    static bool start(const QString &path, QString *error = nullptr);
    // Writes the end line, flushes and closes the file. Nothing happens when none runs.
    static void stop();
    static bool isActive();
    // Writes what is buffered to the file now.
    static void flush();

    // Reads "--capture FILE" (or "--capture=FILE") from the program's arguments and starts
    // that capture. True when none was asked for or it started; false with a message for the
    // user when the option lacks its file or the file cannot be written: in `error`, or on
    // standard error when `error` is null.
    static bool startFromArguments(const QStringList &args, QString *error = nullptr);

    // --- hooks of the device link (see LinkIo for the report I/O)
    // An interface of a candidate keypad, as the scan saw it; each is noted once.
    static void noteCandidate(const hid_device_info *info);
    static void noteOpen(const char *path);
    static void noteOpenFailed(const char *path, const QString &message);
    static void noteClose();
    // `result` is what hid_write returned for the `length` bytes of `data`.
    static void noteWrite(hid_device *dev, const unsigned char *data, size_t length, int result);
    // `result` is what the read returned: the number of bytes in `data`, 0 for none, negative
    // for an error.
    static void noteRead(hid_device *dev, const unsigned char *data, int result);

    // The percent-encoding of paths and messages in the file.
    static QByteArray encodeText(const QByteArray &text);
};
