#include "app/appconfig.h"

#include "model/boundedfile.h"
#include "model/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QStringList>

QString AppConfig::defaultPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Config.ini");
}

bool AppConfig::load(const QString &path)
{
    QByteArray bytes;
    QString problem;
    switch (BoundedFile::read(path, MAX_FILE_BYTES, QStringLiteral("a settings file"), &bytes, &problem)) {
    case BoundedFile::Read:
        parse(bytes);
        return true;
    case BoundedFile::CannotOpen:
        // No settings file is the usual case: the defaults hold without a word.
        if (!QFileInfo::exists(path))
            return false;
        break;
    case BoundedFile::NotAFile:
    case BoundedFile::TooLarge:
        break;
    }
    qCDebug(lcWindow).noquote() << QStringLiteral("Config: %1 ignored: %2").arg(path, problem);
    return false;
}

void AppConfig::parse(const QByteArray &bytes)
{
    // Editors on some systems save with a byte-order mark or CR LF; a stray NUL (a file
    // padded by a broken editor) ends the text.
    const int nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul >= 0 ? bytes.left(nul) : bytes);
    text.remove(QChar(0xFEFF));

    const QStringList lines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))
            || line.startsWith(QLatin1Char('[')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed().toLower();

        if (key == QLatin1String("layernum")) {
            bool ok = false;
            const int n = value.toInt(&ok, 10);
            if (ok && n >= 0 && n <= 3)
                m_layerCount = n;
        } else if (key == QLatin1String("language")) {
            if (value == QLatin1String("ch"))
                m_chinese = true;
            else if (value == QLatin1String("en"))
                m_chinese = false;
        }
    }
}
