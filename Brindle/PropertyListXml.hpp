#pragma once

#include "kit-core/PropertyList.hpp"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The XML property-list format of the preference file: a <plist> holding one <dict>. Every kind keeps
// its element (<true/>, <false/>, <integer>, <real>, <string>, <data> in base64, <dict>), so a value
// reads back with the kind it was written with.
namespace brindle::PropertyListXml {

struct ReadResult {
    std::optional<PropertyList::Dictionary> values; // absent when the text is no readable property list
    QString error;                                  // why not, for the log
    QStringList skippedKeys; // entries of kinds preferences never use (<array>, <date>)
};

[[nodiscard]] ReadResult read(const QByteArray& xml);

// Whether XML can carry the value unchanged: not so for strings (or dictionary keys) with control
// characters other than tab, line feed and carriage return, or with bytes that are not UTF-8.
[[nodiscard]] bool canHold(const PropertyList& value);

struct WriteResult {
    QByteArray xml;
    // Entries left out because XML cannot carry them (see canHold).
    QStringList skippedKeys;
};

[[nodiscard]] WriteResult write(const PropertyList::Dictionary& values);

} // namespace brindle::PropertyListXml
