#include "serial/open_failure.h"

#include <QCoreApplication>
#include <QString>
#include <cerrno>
#include <cstring>

namespace kv {

OpenFailure OpenFailure::fromErrno(int err, std::string device) {
    OpenFailure f;
    f.device = std::move(device);
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
        f.reason = Reason::NoSuchDevice;
        break;
    case EACCES:
    case EPERM:
        f.reason = Reason::PermissionDenied;
        break;
    case ENOTTY:
    case EISDIR:
        f.reason = Reason::NotASerialPort;
        break;
    // EBUSY: the terminal is in exclusive mode; EWOULDBLOCK: another program holds its lock.
    case EBUSY:
    case EWOULDBLOCK:
        f.reason = Reason::InUse;
        break;
    default:
        f.reason = Reason::Other;
        f.systemMessage = std::strerror(err);
        break;
    }
    return f;
}

std::string OpenFailure::text() const {
    // Whole sentences, so that a translation can put the device where its language wants it.
    const QString path = QString::fromStdString(device);
    auto sentence = [&path](const char* text) {
        return QCoreApplication::translate("kv::OpenFailure", text).arg(path).toStdString();
    };
    switch (reason) {
    case Reason::None:
        return {};
    case Reason::NoSuchDevice:
        return sentence(QT_TRANSLATE_NOOP("kv::OpenFailure", "Cannot open %1: no such device."));
    case Reason::PermissionDenied:
        return sentence(QT_TRANSLATE_NOOP("kv::OpenFailure",
                                          "Cannot open %1: permission denied. Add your user to "
                                          "the group dialout and log in again."));
    case Reason::NotASerialPort:
        return sentence(QT_TRANSLATE_NOOP("kv::OpenFailure", "Cannot open %1: not a serial port."));
    case Reason::InUse:
        return sentence(
            QT_TRANSLATE_NOOP("kv::OpenFailure", "Cannot open %1: in use by another program."));
    case Reason::Other:
        break;
    }
    std::string why =
        systemMessage.empty()
            ? QCoreApplication::translate("kv::OpenFailure", "unknown error").toStdString()
            : systemMessage;
    // The system's message stands in the middle of our sentence.
    if (why[0] >= 'A' && why[0] <= 'Z' && !(why.size() > 1 && why[1] >= 'A' && why[1] <= 'Z'))
        why[0] = static_cast<char>(why[0] - 'A' + 'a');
    while (!why.empty() && why.back() == '.')
        why.pop_back();
    return QCoreApplication::translate("kv::OpenFailure", "Cannot open %1: %2.")
        .arg(path, QString::fromStdString(why))
        .toStdString();
}

} // namespace kv
