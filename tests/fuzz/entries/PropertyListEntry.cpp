#include "Brindle/PropertyListXml.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <QByteArray>

namespace quillet::fuzz {

void propertyList(Bytes data)
{
    const auto read = brindle::PropertyListXml::read(
        QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
    if (!read.values) {
        return;
    }
    // What was read must write and read back to the same text.
    const auto written = brindle::PropertyListXml::write(*read.values);
    const auto reread = brindle::PropertyListXml::read(written.xml);
    require(reread.values.has_value());
    require(brindle::PropertyListXml::write(*reread.values).xml == written.xml);
}

} // namespace quillet::fuzz
