#include "Brindle/Logger.hpp"

namespace brindle {

void Logger::output(QtMsgType type, const std::string& message) const
{
    if (!category_->isEnabled(type)) {
        return;
    }
    const QString text = QString::fromStdString(message);
    QMessageLogger logger(nullptr, 0, nullptr, category_->categoryName());
    if (type == QtWarningMsg) {
        logger.warning("%s", qUtf8Printable(text));
    } else {
        logger.info("%s", qUtf8Printable(text));
    }
}

} // namespace brindle
