// CPU time to draw the layout sheet of a full keypad: 16 keys, 3 knobs, 4 layers, every slot
// busy and eight 64-step macros per layer, as PDF (the whole file), SVG and PNG (per page).
// Target: the PDF in at most 300 ms.
#include "app/layoutsheet.h"
#include "model/keyboarddata.h"
#include "support/benchfigures.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

ProfileData fullKeypad()
{
    ProfileData p;
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = 4;
    p.device = ProfileDevice::fromDeviceInfo(info);
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            KeyData &key = p.layers[l][k];
            if (k < 16 && k % 2 == 0) {
                QVector<MacroStepData> steps;
                for (int i = 0; i < KeyboardData::MAX_MACRO_STEPS; ++i)
                    steps << MacroStepData{quint8(i % 2), quint8(0x04 + (i / 2 + k) % 26), quint16(i)};
                key.setMacro(steps);
            } else if (k % 3 == 0) {
                key.setCombination(0x05, QByteArray("\x04\x16", 2));
            } else if (k % 3 == 1) {
                key.setMultimedia(0x00E9);
            } else {
                key.setBasicKey(quint8(0x3A + k % 12));
            }
            p.keyPresent[l][k] = true;
        }
        p.ledPresent[l] = true;
    }
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const LayoutSheet sheet(LayoutSheetData::fromProfile(fullKeypad(), UiText::Language::English),
                            LayoutSheet::Paper::A4);
    sheet.renderPdf(); // fonts found and cached once, as in any run after the first page

    const double pdf = testsupport::medianCpuMs(7, [&] { sheet.renderPdf(); });
    const double svg = testsupport::medianCpuMs(7, [&] {
        for (int l = 0; l < sheet.pageCount(); ++l)
            sheet.renderSvg(l);
    });
    const double png = testsupport::medianCpuMs(3, [&] {
        for (int l = 0; l < sheet.pageCount(); ++l)
            sheet.renderImage(l);
    });
    std::printf("layout sheet, 16 keys + 3 knobs, 4 layers, 8 x 64-step macros per layer (CPU, median)\n");
    std::printf("  PDF, 4 pages:      %7.1f ms  (target <= 300 ms) %s\n", pdf, pdf <= 300 ? "ok" : "OVER");
    std::printf("  SVG, 4 files:      %7.1f ms\n", svg);
    std::printf("  PNG 300 dpi, 4 images (drawing, before encoding): %7.1f ms\n", png);
    return 0;
}
