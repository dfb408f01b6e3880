#include "platform/RegKey.h"

#include <bit>
#include <optional>

namespace toliva {
namespace {

// The value when the key is open and the value exists with the expected type
// and fits the read buffer; records the type found in the key.
std::optional<QByteArray> readValue(RegKey& key, const QString& name, uint32_t type) {
    key.lastType = type;
    if (!key.opened) return std::nullopt;
    auto v = RegistryStore::instance().query(key.path, name);
    if (!v) return std::nullopt;
    key.lastType = v->type;
    if (v->type != type || v->data.size() > kRegValueBufferBytes) return std::nullopt;
    return std::move(v->data);
}

std::optional<uint32_t> readDword(RegKey& key, const QString& name) {
    auto data = readValue(key, name, REG_DWORD);
    if (!data || data->size() != 4) return std::nullopt;
    const auto* p = reinterpret_cast<const uint8_t*>(data->constData());
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool writeValue(RegKey& key, const QString& name, uint32_t type, const QByteArray& data) {
    key.lastType = type;
    if (!key.opened) return false;
    const RegWriteResult written = RegistryStore::instance().set(key.path, name, type, data);
    key.lastError = written.reason;
    return written.ok;
}

}  // namespace

RegKey::~RegKey() { CloseRegKey(*this); }

bool OpenRegKey(const QString& subkey, RegKey& key) {
    CloseRegKey(key);
    key.lastType = REG_SZ;
    RegistryStore& store = RegistryStore::instance();
    if (store.keyExists(subkey)) {
        key.opened = true;
    } else {
        const RegWriteResult created = store.createKey(subkey);
        key.opened = created.ok;
        key.lastError = created.reason;
    }
    if (key.opened) key.path = subkey;
    return key.opened;
}

void CloseRegKey(RegKey& key) {
    key.opened = false;
    key.path.clear();
    key.lastError.clear();
}

bool ReadRegString(RegKey& key, const QString& name, QString& out, const QString& def) {
    auto data = readValue(key, name, REG_SZ);
    if (!data) {
        out = def;
        return false;
    }
    out = RegistryStore::decodeString(*data);
    return true;
}

bool ReadRegDword(RegKey& key, const QString& name, int& out, int def) {
    const auto v = readDword(key, name);
    out = v ? int(*v) : def;
    return v.has_value();
}

bool ReadRegFloat(RegKey& key, const QString& name, float& out, float def) {
    const auto v = readDword(key, name);
    out = v ? std::bit_cast<float>(*v) : def;
    return v.has_value();
}

bool ReadRegBool(RegKey& key, const QString& name, bool def) {
    const auto v = readDword(key, name);
    return v ? *v != 0 : def;
}

bool WriteRegString(RegKey& key, const QString& name, const QString& text) {
    return writeValue(key, name, REG_SZ, RegistryStore::encodeString(text.left(kRegStringMaxChars)));
}

bool WriteRegDword(RegKey& key, const QString& name, int value) {
    return writeValue(key, name, REG_DWORD, RegistryStore::encodeDword(uint32_t(value)));
}

bool WriteRegBool(RegKey& key, const QString& name, bool value) { return WriteRegDword(key, name, value ? 1 : 0); }

bool WriteRegFloat(RegKey& key, const QString& name, float value) {
    return WriteRegDword(key, name, std::bit_cast<int>(value));
}

}  // namespace toliva
