#include "Quillet/diagnostics/MemoryReport.hpp"

namespace quillet {

MemoryReport::MemoryReport(QSize captureSize, int captures)
    : lines_{QStringLiteral("Quillet memory (%1\u00d7%2 captures, %3 of them)")
                 .arg(captureSize.width())
                 .arg(captureSize.height())
                 .arg(captures),
             QString()}
{
}

void MemoryReport::record(const QString& label, const brindle::MemoryFootprint::Reading& reading)
{
    lines_ << recordLine(label, reading);
}

void MemoryReport::note(const QString& line)
{
    lines_ << line;
}

QString MemoryReport::text() const
{
    return lines_.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString MemoryReport::recordLine(const QString& label, const brindle::MemoryFootprint::Reading& reading)
{
    return label.leftJustified(labelWidth, QLatin1Char(' '), true) +
           QString::asprintf("%7.1f MB   peak %7.1f MB", reading.currentMB(), reading.peakMB());
}

} // namespace quillet
