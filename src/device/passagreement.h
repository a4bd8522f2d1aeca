#pragma once

#include <QVector>

// When a read of the keypad can be trusted. A layer read of the current protocol cannot tell
// a key record lost on the way from a key that is not assigned (an empty slot sends nothing),
// and legacy records carry no checksum at all, so one pass proves nothing: a read counts when
// two passes of the same thing agree. Read, read again, compare; when the two differ a third
// pass decides, and it must agree with one of them. A loss or damage never repeats itself
// exactly, so two agreeing passes are what the keypad holds.
//
// Feed the passes in as they are read (also the one a caller has shown already); a pass that
// failed counts as read but agrees with nothing.
template <typename T>
class PassAgreement
{
public:
    static constexpr int MAX_PASSES = 3;

    // Adds one pass; `same(a, b)` compares two values. True once two passes agree.
    template <typename Same>
    bool add(bool ok, const T &value, Same same)
    {
        ++m_passes;
        if (m_agreed || !ok)
            return m_agreed;
        for (const T &earlier : m_good) {
            if (same(earlier, value)) {
                m_agreed = true;
                m_value = value;
                return true;
            }
        }
        m_good.append(value);
        return false;
    }

    bool agreed() const { return m_agreed; }
    // Not agreed yet and a pass left to try.
    bool wantsAnother() const { return !m_agreed && m_passes < MAX_PASSES; }
    int passes() const { return m_passes; }
    // The agreed value (default-constructed until then).
    const T &value() const { return m_value; }

private:
    QVector<T> m_good;
    T m_value{};
    int m_passes = 0;
    bool m_agreed = false;
};

// Reads with `read(T &) -> bool` until two passes agree or the passes are spent; `out` gets
// the agreed value. `stop()` ends the attempt early (the keypad left).
template <typename T, typename Read, typename Same, typename Stop>
bool readUntilAgreed(T &out, Read read, Same same, Stop stop)
{
    PassAgreement<T> passes;
    while (passes.wantsAnother()) {
        T value{};
        const bool ok = read(value);
        if (passes.add(ok, value, same))
            break;
        if (stop())
            break;
    }
    if (passes.agreed())
        out = passes.value();
    return passes.agreed();
}
