#pragma once

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QString>
#include <QTimer>
#include <functional>

namespace kv::test {

// Answers the modal dialog that `open` brings up (a key pressed, an action triggered): once
// it has come, `answer` fills it in and accepts it. When the dialog stays open, its label
// named "error" says why; that text is returned and the dialog is cancelled. Empty when it
// was accepted.
inline QString answerDialog(const std::function<void()>& open,
                            const std::function<void(QDialog&)>& answer) {
    QString refused;
    // Looked for only once the dialog has come.
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer.stop();
        answer(*dialog);
        if (dialog->isVisible()) {
            if (auto* error = dialog->findChild<QLabel*>("error"))
                refused = error->text();
            dialog->reject();
        }
    });
    timer.start();
    open();
    return refused;
}

} // namespace kv::test
