#include "Quillet/thumbnails/CardNotice.hpp"

#include <QObject>

namespace quillet {

QString caption(CardNotice notice)
{
    switch (notice) {
    case CardNotice::copied:
        return QObject::tr("Copied");
    case CardNotice::readingText:
        return QObject::tr("Reading text…");
    case CardNotice::textCopied:
        return QObject::tr("Text copied");
    case CardNotice::noText:
        return QObject::tr("No text found");
    case CardNotice::textFailed:
        return QObject::tr("Text could not be read");
    }
    return {};
}

} // namespace quillet
