#include "app/save_file_dialog.h"

#include <QRegularExpression>

namespace kv {

namespace {
// The first suffix a filter names: "svg" of "SVG drawings (*.svg *.svgz)"; empty for none.
QString firstSuffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)[ )]"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}
} // namespace

QString askSaveFileName(QWidget* parent, const QString& caption, const QString& start,
                        const QString& filters, QFileDialog::Options options) {
    QFileDialog dialog(parent, caption, start, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOptions(options);
    // Given before the file is looked for, so that an existing "report.svg" is confirmed
    // as the one replaced.
    dialog.setDefaultSuffix(firstSuffixOfFilter(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(firstSuffixOfFilter(filter)); });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace kv
