#pragma once

#include <QStringList>

namespace kv {

// Whether the window system Qt is about to start has what it needs: a platform named on the
// command line (-platform NAME) or in QT_QPA_PLATFORM must have a plugin, and without one
// named the desktop's display must be set (DISPLAY or WAYLAND_DISPLAY). Asked before the
// application object is made, since Qt aborts the program when it cannot start its platform.
// `args` are the arguments after the program's name.
bool displayAvailable(const QStringList& args);

} // namespace kv
