#pragma once
// Where the settings dialog loads from and saves to: the settings key of the
// registry, or a copy in memory (the values in force, which Cancel puts back).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include "framework/registry.h"

namespace settings {

class ValueStore {
public:
    virtual ~ValueStore() = default;
    virtual bool Exists(std::string_view name) const = 0;
    // Nothing when the value is missing or of the other type.
    virtual std::optional<int> Int(std::string_view name) const = 0;
    virtual std::optional<std::string> Text(std::string_view name) const = 0;
    virtual void WriteInt(std::string_view name, int v) = 0;
    virtual void WriteText(std::string_view name, std::string_view v) = 0;
};

// The settings key, opened (and created) once; a key that cannot be opened
// reads as empty and takes no writes.
class RegistryStore final : public ValueStore {
public:
    explicit RegistryStore(std::string_view keyPath);
    bool IsOpen() const noexcept { return reg_.IsOpen(); }
    bool Exists(std::string_view name) const override { return reg_.ValueExists(name); }
    std::optional<int> Int(std::string_view name) const override { return reg_.TryReadInteger(name); }
    std::optional<std::string> Text(std::string_view name) const override { return reg_.TryReadString(name); }
    void WriteInt(std::string_view name, int v) override { reg_.WriteInteger(name, v); }
    void WriteText(std::string_view name, std::string_view v) override { reg_.WriteString(name, v); }
private:
    framework::Registry reg_;
};

class MemoryStore final : public ValueStore {
public:
    bool Exists(std::string_view name) const override { return values_.contains(std::string(name)); }
    std::optional<int> Int(std::string_view name) const override;
    std::optional<std::string> Text(std::string_view name) const override;
    void WriteInt(std::string_view name, int v) override { values_[std::string(name)] = v; }
    void WriteText(std::string_view name, std::string_view v) override { values_[std::string(name)] = std::string(v); }
    bool Empty() const noexcept { return values_.empty(); }
private:
    std::map<std::string, std::variant<int, std::string>> values_;
};

}  // namespace settings
