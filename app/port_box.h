#pragma once

#include "serial/port_table.h"

#include <string>
#include <vector>

class QComboBox;

namespace kv {

// Fills the port box with one item per entry: its number as the box shows it, its tooltip,
// and the entry itself (its place in `ports`), so that the entry picked is the one opened,
// wherever it is listed. Item `selected` is current (the first when it is not an index).
void fillPortBox(QComboBox& box, const std::vector<PortEntry>& ports, int selected);

// The port-table name of the port Start opens: the entry of the item as it was picked, or
// "COM<n>" for a number typed into the box, of which only the three lowest bits count.
std::string chosenPortName(const QComboBox& box, const std::vector<PortEntry>& ports);

} // namespace kv
