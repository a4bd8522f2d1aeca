#pragma once

#include "model/records.h"

#include <QByteArray>
#include <QVector>

// The host side of one layer read: takes the keypad's replies one report at a time, decodes
// key records, reassembles macro chunks and recognises the end of the layer. Replies are
// untrusted: every length, index and count is checked against the report and the slot list
// before it is used, and a report that does not add up is dropped whole.
class LayerReadSession
{
public:
    enum class Outcome {
        Ignored,     // not for this read, or malformed
        KeyStored,   // a key (or a completed macro) was decoded into its slot
        KeyRejected, // a record for this layer that does not decode; the slot is unchanged
        ChunkStored, // a macro chunk was kept; the macro is not complete yet
        Finished,    // the end of the layer
    };

    static constexpr int SLOTS = 25;
    static constexpr int MAX_RECORD_IN_REPORT = 58;
    static constexpr int MAX_CHUNK_BYTES = 56;

    // `writableLimit`: key indices at or above it are ignored (clamped to 0..25).
    LayerReadSession(int layer, int writableLimit);

    Outcome handleReport(const unsigned char *report, int len);

    const QVector<KeyData> &keys() const { return m_keys; }
    // Macros of which some chunks arrived but not all.
    int pendingMacros() const;
    // The end arrived, nothing arrived mangled and every record of the layer was taken:
    // the keys are what the keypad holds, unassigned slots included.
    bool complete() const;
    // Per slot, whether its content is known: after a complete read every slot; otherwise
    // only the slots whose record arrived whole (the others may hold what got lost).
    QVector<bool> readMask() const;
    // A reply of ours came damaged: this read can no longer be complete.
    bool damaged() const { return m_mangled; }

private:
    struct Assembly {
        bool active = false;
        int expected = 0;
        QVector<QByteArray> chunks;
        QVector<bool> received;
    };

    Outcome handleKeyRecord(const unsigned char *r);
    Outcome handleChunk(const unsigned char *r);

    // A report for a slot of this layer that could not be taken leaves that slot unknown.
    Outcome troubled(int key, Outcome outcome);

    int m_layer;
    int m_limit;
    bool m_finished = false;
    // A report of ours that failed its checksum or came short: it may have been any record.
    bool m_mangled = false;
    QVector<KeyData> m_keys;
    QVector<Assembly> m_assembly;
    QVector<bool> m_stored;
    QVector<bool> m_troubled;
};
