#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kv::test {

// Runs `program` with `args` in `env` to its end, a minute at most; its stderr lands in err.
// The exit status, -1 for a crash or a hang.
inline int runProgram(const QString& program, const QProcessEnvironment& env,
                      const QStringList& args, QString& err) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool done = p.waitForFinished(60000);
    p.kill();
    err = QString::fromLocal8Bit(p.readAllStandardError());
    return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace kv::test
