// Little-endian byte building and bounded byte reading for metafile records.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace toliva::emf {

// Appends little-endian values to a byte array.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray* out) : m_out(out) {}

    void u8(uint8_t v) { m_out->append(char(v)); }
    void u16(uint16_t v) {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v) {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void bytes(const QByteArray& b) { m_out->append(b); }
    void zeros(qsizetype n) { m_out->append(n, '\0'); }
    void padTo4() {
        while (m_out->size() % 4) u8(0);
    }
    qsizetype size() const { return m_out->size(); }
    // Overwrites a value written earlier.
    void patchU32(qsizetype at, uint32_t v) {
        for (int i = 0; i < 4; ++i) (*m_out)[at + i] = char(uint8_t(v >> (8 * i)));
    }
    void patchU16(qsizetype at, uint16_t v) {
        (*m_out)[at] = char(uint8_t(v));
        (*m_out)[at + 1] = char(uint8_t(v >> 8));
    }

private:
    QByteArray* m_out;
};

// Reads little-endian values from a window of bytes. Every read outside the
// window yields 0 and marks the reader as failed; nothing is ever read past
// the window.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t size() const { return m_size; }
    bool ok() const { return m_ok; }
    bool has(size_t offset, size_t count) const {
        return offset <= m_size && count <= m_size - offset;
    }
    const uint8_t* at(size_t offset) const { return m_data + offset; }

    uint8_t u8(size_t o) {
        if (!has(o, 1)) return fail<uint8_t>();
        return m_data[o];
    }
    uint16_t u16(size_t o) {
        if (!has(o, 2)) return fail<uint16_t>();
        return uint16_t(m_data[o] | (m_data[o + 1] << 8));
    }
    int16_t i16(size_t o) { return int16_t(u16(o)); }
    uint32_t u32(size_t o) {
        if (!has(o, 4)) return fail<uint32_t>();
        return uint32_t(m_data[o]) | (uint32_t(m_data[o + 1]) << 8) | (uint32_t(m_data[o + 2]) << 16) |
               (uint32_t(m_data[o + 3]) << 24);
    }
    int32_t i32(size_t o) { return int32_t(u32(o)); }
    float f32(size_t o) {
        const uint32_t bits = u32(o);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }

private:
    template <typename T>
    T fail() {
        m_ok = false;
        return T(0);
    }

    const uint8_t* m_data;
    size_t m_size;
    bool m_ok = true;
};

}  // namespace toliva::emf
