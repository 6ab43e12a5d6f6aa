// Every input the fuzzers kept, run through the same entry functions in the normal builds: what once
// found a fault stays found, without clang.
#include "tests/fuzz/FuzzEntries.hpp"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <ostream>
#include <gtest/gtest.h>
#include <string>

namespace quillet::fuzz {

// Found by the test framework next to the type.
void PrintTo(const NamedEntry& entry, std::ostream* os)
{
    *os << entry.name;
}

namespace {

class FuzzCorpus : public testing::TestWithParam<NamedEntry> {};

TEST_P(FuzzCorpus, EveryKeptInputIsHandled)
{
    const char* source = std::getenv("QUILLET_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const QDir folder(QStringLiteral("%1/tests/fuzz/corpus/%2")
                          .arg(QString::fromLocal8Bit(source),
                               QString::fromUtf8(GetParam().name.data(), GetParam().name.size())));
    const QStringList inputs = folder.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(inputs.isEmpty()) << folder.path().toStdString() << " holds no input";
    for (const QString& name : inputs) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(name.toStdString());
        GetParam().entry(Bytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size())));
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, FuzzCorpus, testing::ValuesIn(entries),
                         [](const testing::TestParamInfo<NamedEntry>& info) {
                             std::string name;
                             for (const char c : info.param.name) {
                                 name += c == '-' ? '_' : c;
                             }
                             return name;
                         });

} // namespace
} // namespace quillet::fuzz
