#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace quillet {

// A value, or the description of why there is none (shown in logs as the error's text).
template <typename Value> class Outcome {
public:
    Outcome(Value value) : state_(std::move(value)) {}

    [[nodiscard]] static Outcome failure(QString description)
    {
        return Outcome(Failure{std::move(description)});
    }

    [[nodiscard]] bool isSuccess() const { return std::holds_alternative<Value>(state_); }
    [[nodiscard]] const Value& value() const { return std::get<Value>(state_); }
    [[nodiscard]] const QString& error() const { return std::get<Failure>(state_).description; }

private:
    struct Failure {
        QString description;
    };
    explicit Outcome(Failure failure) : state_(std::move(failure)) {}

    std::variant<Value, Failure> state_;
};

} // namespace quillet
