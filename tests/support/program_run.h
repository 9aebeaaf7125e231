#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kv::test {

// Runs `program` with `args` in `env` to its end, a minute at most; its stderr lands in err
// and, when asked for, its stdout in *out. The exit status, -1 for a crash or a hang.
inline int runProgram(const QString& program, const QProcessEnvironment& env,
                      const QStringList& args, QString& err, QString* out = nullptr) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool done = p.waitForFinished(60000);
    p.kill();
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
    err = QString::fromLocal8Bit(p.readAllStandardError());
    return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace kv::test
