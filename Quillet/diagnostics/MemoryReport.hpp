#pragma once

#include "Brindle/MemoryFootprint.hpp"

#include <QSize>
#include <QString>
#include <QStringList>

namespace quillet {

// The text of `--measure-memory`: a header naming the captures, an empty line, then one line per
// step with the process's memory after it. Ends with a line feed.
class MemoryReport {
public:
    static constexpr int labelWidth = 52;

    MemoryReport(QSize captureSize, int captures);

    // The step's label padded with spaces (or cut) to 52 characters, then current and peak in MB.
    void record(const QString& label, const brindle::MemoryFootprint::Reading& reading);
    // A line without memory figures.
    void note(const QString& line);

    [[nodiscard]] const QStringList& lines() const { return lines_; }
    [[nodiscard]] QString text() const;

    [[nodiscard]] static QString recordLine(const QString& label,
                                            const brindle::MemoryFootprint::Reading& reading);

private:
    QStringList lines_;
};

} // namespace quillet
