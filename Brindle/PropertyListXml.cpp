#include "Brindle/PropertyListXml.hpp"

#include <QLocale>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

namespace brindle::PropertyListXml {
namespace {

// Deeper nesting than any preference uses; the limit keeps a damaged file from exhausting the stack.
constexpr int maximumDepth = 32;

// Reading ------------------------------------------------------------------------------------------

// Decimal and exponent notation, and the spellings of infinity and NaN that property-list writers use.
std::optional<double> realValue(const QString& text)
{
    const QString lower = text.toLower();
    if (lower == QLatin1String("nan")) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const QStringList infinity{"inf", "+inf", "infinity", "+infinity"};
    if (infinity.contains(lower)) {
        return std::numeric_limits<double>::infinity();
    }
    if (lower == QLatin1String("-inf") || lower == QLatin1String("-infinity")) {
        return -std::numeric_limits<double>::infinity();
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

class Reader {
public:
    explicit Reader(const QByteArray& xml) : xml_(xml) {}

    ReadResult run()
    {
        ReadResult result;
        auto values = readDocument();
        if (xml_.hasError()) {
            result.error = QStringLiteral("line %1: %2").arg(xml_.lineNumber()).arg(xml_.errorString());
            return result;
        }
        result.values = std::move(values);
        result.skippedKeys = skippedKeys_;
        return result;
    }

private:
    PropertyList::Dictionary readDocument()
    {
        if (!xml_.readNextStartElement() || xml_.name() != u"plist") {
            fail(QStringLiteral("no <plist> element"));
            return {};
        }
        if (!xml_.readNextStartElement() || xml_.name() != u"dict") {
            fail(QStringLiteral("the property list holds no <dict>"));
            return {};
        }
        auto values = readDictionary(0, true);
        if (xml_.readNextStartElement()) {
            fail(QStringLiteral("more than one value in <plist>"));
        }
        while (!xml_.atEnd() && !xml_.hasError()) {
            xml_.readNext();
        }
        return values;
    }

    // Reads the entries up to the end of the current <dict>.
    PropertyList::Dictionary readDictionary(int depth, bool isTopLevel)
    {
        PropertyList::Dictionary values;
        if (depth > maximumDepth) {
            fail(QStringLiteral("values nested too deeply"));
            return values;
        }
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"key") {
                fail(QStringLiteral("<%1> where a <key> belongs").arg(xml_.name()));
                return values;
            }
            const QString key = xml_.readElementText();
            if (!xml_.readNextStartElement()) {
                fail(QStringLiteral("no value for key \"%1\"").arg(key));
                return values;
            }
            auto value = readValue(depth);
            if (xml_.hasError()) {
                return values;
            }
            if (!value) {
                if (isTopLevel) {
                    skippedKeys_.append(key);
                }
                continue;
            }
            values.insert_or_assign(key.toStdString(), std::move(*value));
        }
        return values;
    }

    // Absent, without an error, for the kinds preferences never store.
    std::optional<PropertyList> readValue(int depth)
    {
        const auto name = xml_.name();
        if (name == u"true" || name == u"false") {
            const bool value = name == u"true";
            if (!xml_.readElementText().trimmed().isEmpty()) {
                fail(QStringLiteral("text inside <%1/>").arg(value ? "true" : "false"));
            }
            return PropertyList(value);
        }
        if (name == u"integer") {
            return readInteger();
        }
        if (name == u"real") {
            return readReal();
        }
        if (name == u"string") {
            return PropertyList(xml_.readElementText().toStdString());
        }
        if (name == u"data") {
            return readData();
        }
        if (name == u"dict") {
            return PropertyList(readDictionary(depth + 1, false));
        }
        if (name == u"array" || name == u"date") {
            xml_.skipCurrentElement();
            return std::nullopt;
        }
        fail(QStringLiteral("unknown value <%1>").arg(name));
        return std::nullopt;
    }

    std::optional<PropertyList> readInteger()
    {
        bool ok = false;
        const qint64 value = xml_.readElementText().trimmed().toLongLong(&ok);
        if (!ok) {
            fail(QStringLiteral("<integer> that is no 64-bit integer"));
            return std::nullopt;
        }
        return PropertyList(std::int64_t{value});
    }

    std::optional<PropertyList> readReal()
    {
        const auto value = realValue(xml_.readElementText().trimmed());
        if (!value) {
            fail(QStringLiteral("<real> that is no number"));
            return std::nullopt;
        }
        return PropertyList(*value);
    }

    std::optional<PropertyList> readData()
    {
        QByteArray text = xml_.readElementText().toLatin1();
        text.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
        auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            fail(QStringLiteral("<data> that is not base64"));
            return std::nullopt;
        }
        const QByteArray& bytes = *decoded;
        return PropertyList(Bytes(bytes.begin(), bytes.end()));
    }

    void fail(const QString& message)
    {
        if (!xml_.hasError()) {
            xml_.raiseError(message);
        }
    }

    QXmlStreamReader xml_;
    QStringList skippedKeys_;
};

// Writing ------------------------------------------------------------------------------------------

bool isAllowedInXml(char32_t c)
{
    if (c < 0x20) {
        return c == '\t' || c == '\n' || c == '\r';
    }
    return c != 0xFFFE && c != 0xFFFF;
}

// The text of a UTF-8 string, or absent when XML cannot carry it unchanged.
std::optional<QString> xmlText(const std::string& utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    for (const char32_t c : text.toUcs4()) {
        if (!isAllowedInXml(c)) {
            return std::nullopt;
        }
    }
    return text;
}

bool isWritable(const PropertyList& value)
{
    if (const auto* text = value.get<std::string>()) {
        return xmlText(*text).has_value();
    }
    if (const auto* dictionary = value.get<PropertyList::Dictionary>()) {
        for (const auto& [key, entry] : *dictionary) {
            if (!xmlText(key) || !isWritable(entry)) {
                return false;
            }
        }
    }
    return true;
}

// XML readers turn a carriage return in text into a line feed; a character reference keeps it.
void writeText(QXmlStreamWriter& xml, const QString& text)
{
    const auto pieces = text.split(u'\r');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            xml.writeEntityReference(QStringLiteral("#13"));
        }
        xml.writeCharacters(pieces[i]);
    }
}

void writeTextElement(QXmlStreamWriter& xml, const QString& name, const QString& text)
{
    xml.writeStartElement(name);
    writeText(xml, text);
    xml.writeEndElement();
}

QString realText(double value)
{
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
    }
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

void writeValue(QXmlStreamWriter& xml, const PropertyList& value);

void writeDictionary(QXmlStreamWriter& xml, const PropertyList::Dictionary& values)
{
    xml.writeStartElement(QStringLiteral("dict"));
    for (const auto& [key, value] : values) {
        writeTextElement(xml, QStringLiteral("key"), *xmlText(key));
        writeValue(xml, value);
    }
    xml.writeEndElement();
}

void writeValue(QXmlStreamWriter& xml, const PropertyList& value)
{
    switch (value.kind()) {
    case PropertyList::Kind::boolean:
        xml.writeEmptyElement(*value.get<bool>() ? QStringLiteral("true") : QStringLiteral("false"));
        return;
    case PropertyList::Kind::integer:
        xml.writeTextElement(QStringLiteral("integer"), QString::number(*value.get<std::int64_t>()));
        return;
    case PropertyList::Kind::real:
        xml.writeTextElement(QStringLiteral("real"), realText(*value.get<double>()));
        return;
    case PropertyList::Kind::string:
        writeTextElement(xml, QStringLiteral("string"), *xmlText(*value.get<std::string>()));
        return;
    case PropertyList::Kind::data: {
        const auto& bytes = *value.get<Bytes>();
        const QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
        xml.writeTextElement(QStringLiteral("data"), QString::fromLatin1(raw.toBase64()));
        return;
    }
    case PropertyList::Kind::dictionary:
        writeDictionary(xml, *value.get<PropertyList::Dictionary>());
        return;
    }
}

} // namespace

ReadResult read(const QByteArray& xml)
{
    return Reader(xml).run();
}

bool canHold(const PropertyList& value)
{
    return isWritable(value);
}

WriteResult write(const PropertyList::Dictionary& values)
{
    WriteResult result;
    PropertyList::Dictionary writable;
    for (const auto& [key, value] : values) {
        if (xmlText(key) && isWritable(value)) {
            writable.emplace(key, value);
        } else {
            result.skippedKeys.append(QString::fromStdString(key));
        }
    }
    QXmlStreamWriter xml(&result.xml);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeDictionary(xml, writable);
    xml.writeEndElement();
    xml.writeEndDocument();
    return result;
}

} // namespace brindle::PropertyListXml
