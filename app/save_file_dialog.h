#pragma once

#include <QFileDialog>
#include <QString>

namespace kv {

// The desktop's dialog asking for a file to write; empty when cancelled. A name typed
// without a suffix takes the first one of the filter chosen ("SVG drawings (*.svg)":
// "report" becomes "report.svg"), so that the kind chosen is the kind written.
QString askSaveFileName(QWidget* parent, const QString& caption, const QString& start,
                        const QString& filters, QFileDialog::Options options = {});

} // namespace kv
