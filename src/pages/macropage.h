#pragma once

#include "pages/scalablepage.h"

#include "model/records.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

#include <functional>

class KeyboardData;
class MacroFlowWidget;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

// Records a key sequence typed on the computer's keyboard as the selected key's macro and
// shows the macro as a flow of blocks: an editable delay, then the pressed or released key.
// While recording, the window's keyboard is grabbed and its key events are read through an
// event filter; the window locks its other controls through the lock handler, so neither
// the selection nor the layer can change under the recording.
class MacroPage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    // Milliseconds since the epoch; tests replace it to play long pauses without waiting.
    using Clock = std::function<qint64()>;

    static constexpr int MAX_DELAY_MS = 9999;
    // Later steps never get less, so the keypad has time to see every press and release.
    static constexpr int MIN_LATER_DELAY_MS = 50;

    explicit MacroPage(KeyboardData *model, QWidget *parent = nullptr);
    ~MacroPage() override;

    // The window whose key events are recorded (the keyboard is grabbed for it).
    void setRecordingWindow(QWidget *window);
    // Called with true as a recording starts and false as it ends.
    void setWindowLockHandler(std::function<void(bool recording)> handler);
    // Called once a recording has ended (after the window was unlocked): the window saves
    // the recorded key.
    void setRecordingStoppedHandler(std::function<void()> handler);
    void setClock(Clock clock);

    bool isRecording() const { return m_macroRecording; }
    void startMacroRecording();
    void stopMacroRecording();
    // Records one key event (`qtKey` a Qt key code) with the time since the previous step.
    void appendMacroStep(int qtKey, bool pressed, qint64 elapsedMs);

    void addMacroStepBlock(int index, const MacroStepData &step);
    void refreshMacroStepsDisplay();
    void clearMacroStepsDisplay();
    void updateMacroPageStyle(double scale);
    void applyScale(double scale) override { updateMacroPageStyle(scale); }
    // The function list moved to `row`; any row but this page's stops a recording.
    void onFunctionRowChanged(int row);

    QPushButton *recordButton() const { return m_macroRecordButton; }
    QScrollArea *scrollArea() const { return m_macroScrollArea; }
    MacroFlowWidget *flow() const { return m_macroFlow; }

    static constexpr int PAGE_ROW = 5;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void onRecordClicked();
    void onSelectedKeyChanged(int keyIdx);
    void onKeyButtonTextChanged(int keyIdx, const QString &text);
    void handleKeyEvent(int qtKey, bool pressed);
    void setStepDelay(int index, int delay);
    void updateStepBlocks(int index, const MacroStepData &step);
    bool keySelected() const;
    double blockScale() const;

    KeyboardData *m_model;
    QPushButton *m_macroRecordButton = nullptr;
    QScrollArea *m_macroScrollArea = nullptr;
    MacroFlowWidget *m_macroFlow = nullptr;
    bool m_macroRecording = false;
    // Set while the page itself changes the recorded key: any other change of that key or
    // of the selection during a recording (a keypad read or lost) ends the recording.
    bool m_ownEdit = false;
    qint64 m_lastMacroEventMs = -1;
    double m_scale = 1.0;

    // The widgets of each shown step, so that showing another macro updates them in place
    // (building 128 blocks anew takes a noticeable moment), and the key they belong to.
    struct StepBlocks {
        QPointer<QWidget> delayBlock;
        QPointer<QSpinBox> delay;
        QPointer<QLabel> action;
        QPointer<QLabel> name;
    };
    QVector<StepBlocks> m_blocks;
    int m_blocksLayer = -1;
    int m_blocksKey = -1;
    double m_blocksScale = 0;

    QPointer<QWidget> m_window;
    std::function<void(bool)> m_lockHandler;
    std::function<void()> m_stoppedHandler;
    Clock m_clock;
};
