#pragma once

#include <QByteArray>
#include <QString>

// The settings file beside the executable: interface language and an optional forced
// number of layer buttons. Read once at start, never written.
class AppConfig
{
public:
    static QString defaultPath(); // applicationDirPath() + "/Config.ini"
    // A settings file holds a few lines; anything larger is not one.
    static constexpr qint64 MAX_FILE_BYTES = 64 * 1024;

    // Reads the file; a missing or unreadable file leaves the defaults. Only a regular file
    // of at most MAX_FILE_BYTES is read: a pipe, a device, a directory or a larger file is
    // ignored with a log line, without waiting on it.
    bool load(const QString &path);
    // Applies the settings found in the given bytes on top of the current values.
    void parse(const QByteArray &bytes);

    bool chinese() const { return m_chinese; }
    bool hasLayerCount() const { return m_layerCount >= 0; }
    int layerCount() const { return m_layerCount; } // -1 when not given

private:
    bool m_chinese = false;
    int m_layerCount = -1;
};
