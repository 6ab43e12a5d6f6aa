#include "Quillet/common/BackgroundWork.hpp"

#include <QMetaObject>
#include <QThread>

namespace quillet {

BackgroundWork& BackgroundWork::instance()
{
    // Never destroyed: tasks may still finish while the process ends.
    static auto* const work = new BackgroundWork;
    return *work;
}

BackgroundWork::Hold::~Hold()
{
    release();
}

void BackgroundWork::Hold::release()
{
    if (released_) {
        return;
    }
    released_ = true;
    BackgroundWork& work = instance();
    // The count is the main thread's; a hold let go on a worker ends there.
    if (QThread::currentThread() == work.thread()) {
        work.end();
        return;
    }
    QMetaObject::invokeMethod(
        &work, [&work] { work.end(); }, Qt::QueuedConnection);
}

} // namespace quillet
