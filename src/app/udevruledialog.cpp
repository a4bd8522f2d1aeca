#include "app/udevruledialog.h"

#include "i18n/uitext.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>

namespace {

const QString kRuleName = QStringLiteral("70-macropad-studio.rules");

QString installedRule()
{
    for (const char *dir : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        const QString path = QDir(QString::fromLatin1(dir)).filePath(kRuleName);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString ruleSource()
{
    // A build directory sits in the source tree (build/ beside packaging/).
    const QDir appDir(QCoreApplication::applicationDirPath());
    const QString beside = QDir::cleanPath(appDir.filePath(QStringLiteral("../packaging/") + kRuleName));
    if (QFileInfo::exists(beside))
        return beside;
    return QStringLiteral("packaging/") + kRuleName;
}

} // namespace

QStringList UdevRuleDialog::commands()
{
    QStringList lines;
    if (installedRule().isEmpty())
        lines << QStringLiteral("sudo install -m 644 %1 /etc/udev/rules.d/").arg(ruleSource());
    lines << QStringLiteral("sudo udevadm control --reload-rules")
          << QStringLiteral("sudo udevadm trigger --subsystem-match=hidraw");
    return lines;
}

UdevRuleDialog::UdevRuleDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("udevRuleDialog"));
    setWindowTitle(UiText::text(QStringLiteral("Keypad access")));
    setStyleSheet(QStringLiteral(
        "QDialog { background-color: #2d2d2d; }"
        "QLabel { color: white; font-size: 15px; background: transparent; }"
        "QPlainTextEdit { background-color: #202020; color: #E0E0E0; border: 1px solid #5a5a5a;"
        " font-size: 14px; }"
        "QPushButton { background-color: #3c3c3c; color: white; border: 1px solid #5a5a5a;"
        " border-radius: 4px; font-weight: bold; font-size: 15px; padding: 6px 16px; }"
        "QPushButton:hover { background-color: #4a4a4a; }"
        "QPushButton:pressed { background-color: #2a2a2a; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);

    auto *why = new QLabel(UiText::text(QStringLiteral(
                               "The keypad is plugged in, but this user may not open it: the udev "
                               "rule that gives the user at the computer access is not installed. "
                               "Run these commands in a terminal, then unplug the keypad and plug it "
                               "in again:")),
                           this);
    why->setWordWrap(true);
    layout->addWidget(why);

    const QString text = commands().join(QLatin1Char('\n'));
    auto *box = new QPlainTextEdit(text, this);
    box->setObjectName(QStringLiteral("udevRuleCommands"));
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Every command whole, without scrolling.
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics fm(box->font());
    int widest = 0;
    for (const QString &line : commands())
        widest = qMax(widest, fm.horizontalAdvance(line));
    const int chrome = 2 * int(box->document()->documentMargin()) + 2 * box->frameWidth() + 8;
    box->setMinimumWidth(widest + chrome);
    box->setFixedHeight(fm.lineSpacing() * commands().size() + chrome);
    layout->addWidget(box);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_copy = new QPushButton(UiText::text(QStringLiteral("Copy")), this);
    m_copy->setObjectName(QStringLiteral("copyCommandsButton"));
    auto *close = new QPushButton(UiText::text(QStringLiteral("Close")), this);
    close->setDefault(true);
    buttons->addWidget(m_copy);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_copy, &QPushButton::clicked, this, [this, text] {
        QApplication::clipboard()->setText(text);
        m_copy->setText(UiText::text(QStringLiteral("Copied")));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}
