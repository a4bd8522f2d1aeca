#pragma once

#include "model/records.h"

#include <QByteArray>
#include <QVector>

// The byte form of one key's function on the current protocol, the same in both directions:
// type, six reserved zero bytes, 16-bit little-endian payload length, payload.
// Pure functions without a device, so decoders can be checked on any bytes.
namespace KeyRecord {

constexpr int HEADER_BYTES = 9;
constexpr int MAX_MACRO_STEPS = 64;
constexpr int MAX_COMBO_KEYS = 6;
// What fits in one write-key packet (63 bytes less command, layer, key, length, checksum).
constexpr int MAX_SINGLE_RECORD = 58;
constexpr int MAX_SINGLE_PAYLOAD = MAX_SINGLE_RECORD - HEADER_BYTES; // 49
constexpr int CHUNK_BYTES = 56;

// Decodes one record of `len` bytes. Never reads outside [data, data+len). On failure `out`
// is left as it was.
bool decode(const unsigned char *data, int len, KeyData &out);
// Joins macro chunks in order and decodes the result; false when there are none.
bool decodeChunks(const QVector<QByteArray> &chunks, KeyData &out);

// The payload of a key's function; false for a type that has no record (Empty, unknown).
bool encodePayload(const KeyData &key, QByteArray &payload);
// Header plus payload.
QByteArray withHeader(quint8 type, const QByteArray &payload);
// The whole record of a key, empty when the type cannot be encoded.
QByteArray encode(const KeyData &key);
// How a record is cut for the macro chunk command: pieces of CHUNK_BYTES.
QVector<QByteArray> chunks(const QByteArray &record);

} // namespace KeyRecord
