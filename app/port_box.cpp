#include "app/port_box.h"

#include "app/port_text.h"

#include <QComboBox>

namespace kv {

void fillPortBox(QComboBox& box, const std::vector<PortEntry>& ports, int selected) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const PortEntry& e = ports[i];
        box.addItem(portEntryFromName(QString::fromStdString(e.name)), static_cast<qulonglong>(i));
        box.setItemData(box.count() - 1, QString::fromStdString(e.tooltip()), Qt::ToolTipRole);
    }
    if (box.count() > 0)
        box.setCurrentIndex(selected >= 0 && selected < box.count() ? selected : 0);
}

std::string chosenPortName(const QComboBox& box, const std::vector<PortEntry>& ports) {
    const int index = box.currentIndex();
    if (index >= 0 && box.itemText(index) == box.currentText()) {
        const auto entry = box.itemData(index).toULongLong();
        if (entry < ports.size())
            return ports[entry].name;
    }
    return "COM" + std::to_string(portNumberFromText(box.currentText()));
}

} // namespace kv
