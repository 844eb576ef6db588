// Template part of project_link.h.
#pragma once

#include <QMetaObject>
#include <QThreadPool>

namespace tessary {

template <typename Result>
void runOffThread(QObject* context, std::function<Result()> work,
                  std::function<void(Result)> done) {
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([guard, work = std::move(work), done = std::move(done)] {
        auto result = std::make_shared<Result>(work());
        if (!guard)
            return;
        QMetaObject::invokeMethod(
            guard.data(),
            [guard, result, done] {
                if (guard)
                    done(std::move(*result));
            },
            Qt::QueuedConnection);
    });
}

} // namespace tessary
