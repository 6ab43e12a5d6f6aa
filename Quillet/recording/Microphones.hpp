#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

namespace quillet {

// The sound inputs a recording can use. Lists are served from what the sound server last reported,
// so asking never waits; `changed` follows every change of the list or of the default input.
// Main thread only.
class Microphones : public QObject {
    Q_OBJECT

public:
    struct Device {
        QString id;   // what the capture tool is given with -G, and what the settings keep
        QString name; // for people
        friend bool operator==(const Device&, const Device&) = default;
    };

    using QObject::QObject;

    // In the order the server reports them.
    [[nodiscard]] virtual std::vector<Device> available() const = 0;
    // The name of the input used when none is chosen.
    [[nodiscard]] virtual QString defaultName() const = 0;

    // The connected device with exactly this identifier; nothing for no identifier or an absent device.
    [[nodiscard]] std::optional<Device> resolve(const std::optional<QString>& id) const;

    // The label of the default input when the server names none.
    [[nodiscard]] static QString fallbackDefaultName();

signals:
    void changed();
};

// A list that never changes: the stand-in where no sound server can be reached, and for tests.
class FixedMicrophones final : public Microphones {
public:
    explicit FixedMicrophones(std::vector<Device> devices = {}, QString defaultName = fallbackDefaultName())
        : devices_(std::move(devices)), defaultName_(std::move(defaultName))
    {
    }
    [[nodiscard]] std::vector<Device> available() const override { return devices_; }
    [[nodiscard]] QString defaultName() const override { return defaultName_; }

private:
    std::vector<Device> devices_;
    QString defaultName_;
};

} // namespace quillet
