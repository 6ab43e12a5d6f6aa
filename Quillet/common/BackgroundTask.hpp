#pragma once

#include "Quillet/common/BackgroundWork.hpp"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <type_traits>
#include <utility>

namespace quillet {

// Runs `work` on the shared thread pool and then `done` with its result on the main thread, but only
// while `context` still exists. (Qt 6.4's QFuture::then with a context asserts, or calls into a
// destroyed object, when the context goes while the work runs; this checks on the main thread
// instead, where the context is destroyed.) Counted in BackgroundWork until `done` has run or was
// skipped.
template <typename Work, typename Done> void runInBackground(QObject* context, Work work, Done done)
{
    BackgroundWork::instance().begin();
    QThreadPool::globalInstance()->start(
        [context = QPointer<QObject>(context), work = std::move(work), done = std::move(done)]() mutable {
            auto result = work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [context = std::move(context), done = std::move(done), result = std::move(result)]() mutable {
                    if (context) {
                        done(std::move(result));
                    }
                    BackgroundWork::instance().end();
                },
                Qt::QueuedConnection);
        });
}

} // namespace quillet
