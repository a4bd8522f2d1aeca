#include "pages/procreatetable.h"

#include "model/records.h"

namespace {

QByteArray bytes(std::initializer_list<int> usages)
{
    QByteArray out;
    for (int u : usages)
        out.append(char(quint8(u)));
    return out;
}

} // namespace

QVector<ProcreateShortcut> procreateShortcuts()
{
    // E1 left Shift, E2 left Option, E3 left Command.
    return {
        {QStringLiteral("QuickMenu"), QStringLiteral("QuickMenu"), bytes({0x2C})},
        {QStringLiteral("Debug Commands"), QStringLiteral("Debug"), bytes({0x35})},
        {QStringLiteral("Activate Brush Tool"), QStringLiteral("Brush"), bytes({0x05})},
        {QStringLiteral("Open Color Panel"), QStringLiteral("Color"), bytes({0x06})},
        {QStringLiteral("Activate Eraser Tool"), QStringLiteral("Eraser"), bytes({0x08})},
        {QStringLiteral("Open Layers Panel"), QStringLiteral("Layers"), bytes({0x0F})},
        {QStringLiteral("Enter Selection Mode"), QStringLiteral("Select"), bytes({0x16})},
        {QStringLiteral("Enter Transform Mode"), QStringLiteral("Transform"), bytes({0x19})},
        {QStringLiteral("Switch Between Previous and Current Color"), QStringLiteral("Swap Color"),
         bytes({0x1B})},
        {QStringLiteral("Color Pick (Alt)"), QStringLiteral("Pick Alt"), bytes({0xE2})},
        {QStringLiteral("Color Pick M (iOS 17)"), QStringLiteral("Pick M"), bytes({0x10})},
        {QStringLiteral("Clear Selected Layer"), QStringLiteral("Clear Layer"), bytes({0xE3, 0x2A})},
        {QStringLiteral("Toggle Full Screen Mode"), QStringLiteral("Fullscreen"), bytes({0xE3, 0x27})},
        {QStringLiteral("Toggle Perspective Guide"), QStringLiteral("Guide"), bytes({0xE3, 0x33})},
        {QStringLiteral("Decrease Brush Size by 1%"), QStringLiteral("Brush -1%"), bytes({0xE3, 0x2F})},
        {QStringLiteral("Increase Brush Size by 1%"), QStringLiteral("Brush +1%"), bytes({0xE3, 0x30})},
        {QStringLiteral("Decrease Brush Size by 5%"), QStringLiteral("Brush -5%"), bytes({0x2F})},
        {QStringLiteral("Increase Brush Size by 5%"), QStringLiteral("Brush +5%"), bytes({0x30})},
        {QStringLiteral("Decrease Brush Size by 10%"), QStringLiteral("Brush -10%"), bytes({0xE1, 0x2F})},
        {QStringLiteral("Increase Brush Size by 10%"), QStringLiteral("Brush +10%"), bytes({0xE1, 0x30})},
        {QStringLiteral("Copy All"), QStringLiteral("Copy All"), bytes({0xE3, 0x04})},
        {QStringLiteral("Apply Color Balance Adjustment"), QStringLiteral("Color Bal"), bytes({0xE3, 0x05})},
        {QStringLiteral("Copy"), QStringLiteral("Copy"), bytes({0xE3, 0x06})},
        {QStringLiteral("Clear Selection"), QStringLiteral("Clear Sel"), bytes({0xE3, 0x07})},
        {QStringLiteral("Duplicate Selection"), QStringLiteral("Duplicate"), bytes({0xE3, 0x0D})},
        {QStringLiteral("Open Actions Menu"), QStringLiteral("Actions"), bytes({0xE3, 0x0E})},
        {QStringLiteral("Apply HSB Adjustment"), QStringLiteral("HSB"), bytes({0xE3, 0x18})},
        {QStringLiteral("Paste"), QStringLiteral("Paste"), bytes({0xE3, 0x19})},
        {QStringLiteral("Cut"), QStringLiteral("Cut"), bytes({0xE3, 0x1B})},
        {QStringLiteral("Undo"), QStringLiteral("Undo"), bytes({0xE3, 0x1D})},
        {QStringLiteral("Redo"), QStringLiteral("Redo"), bytes({0xE1, 0xE3, 0x1D})},
        {QStringLiteral("Deselect"), QStringLiteral("Deselect"), bytes({0xE3, 0x07})},
    };
}

KeyData procreateKeyData(const QByteArray &usages)
{
    KeyData key;
    key.reset();
    if (usages.size() == 1) {
        key.setBasicKey(quint8(usages.at(0)));
    } else if (usages.size() > 1) {
        QVector<MacroStepData> steps;
        steps.reserve(usages.size() * 2);
        for (int i = 0; i < usages.size(); ++i)
            steps.append(MacroStepData{0, quint8(usages.at(i)), quint16(i == 0 ? 0 : 20)});
        for (int i = usages.size() - 1; i >= 0; --i)
            steps.append(MacroStepData{1, quint8(usages.at(i)), 20});
        key.setMacro(steps);
    }
    key.dirty = true;
    return key;
}

const ProcreateShortcut *findProcreateShortcut(const KeyData &key)
{
    if (key.type != KeyType::Basic && key.type != KeyType::Macro)
        return nullptr;
    // Built once: the captions of every panel key ask this on each refresh.
    static const QVector<ProcreateShortcut> shortcuts = procreateShortcuts();
    static const QVector<KeyData> functions = [] {
        QVector<KeyData> out;
        for (const ProcreateShortcut &s : shortcuts)
            out.append(procreateKeyData(s.usages));
        return out;
    }();
    for (int i = 0; i < shortcuts.size(); ++i) {
        if (functions.at(i).sameFunction(key))
            return &shortcuts.at(i);
    }
    return nullptr;
}
