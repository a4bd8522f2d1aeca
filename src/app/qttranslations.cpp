#include "app/qttranslations.h"

#include "model/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace QtTranslations {

namespace {

const QString kChineseName = QStringLiteral("qtbase_zh_CN");

QString translationsDir()
{
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
}

// One translator for the process, owned by the application object.
QPointer<QTranslator> &installed()
{
    static QPointer<QTranslator> translator;
    return translator;
}

} // namespace

QString chineseFile()
{
    return QDir(translationsDir()).filePath(kChineseName + QStringLiteral(".qm"));
}

bool chineseAvailable()
{
    return QFileInfo::exists(chineseFile());
}

bool apply(bool chinese)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return !chinese;
    QPointer<QTranslator> &current = installed();
    if (!chinese) {
        if (current) {
            QCoreApplication::removeTranslator(current);
            delete current;
        }
        return true;
    }
    if (current)
        return true;
    auto *translator = new QTranslator(app);
    if (!translator->load(kChineseName, translationsDir())) {
        qCDebug(lcWindow).noquote() << "Widget: no Qt translation at" << chineseFile()
                                    << "- Qt's dialogs stay English";
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    current = translator;
    return true;
}

} // namespace QtTranslations
