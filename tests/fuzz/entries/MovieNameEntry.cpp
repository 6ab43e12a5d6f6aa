#include "Quillet/recording/MovieName.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <QByteArray>

namespace quillet::fuzz {

void movieName(Bytes data)
{
    const QString name = QString::fromUtf8(QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                                   static_cast<qsizetype>(data.size())));
    const std::optional<QDateTime> started = MovieName::startedAt(name);
    if (!started) {
        return;
    }
    // A start read from a name is a real moment, and a name made for it reads back as it.
    require(started->isValid());
    require(MovieName::startedAt(MovieName::make(*started)) == started);
}

} // namespace quillet::fuzz
