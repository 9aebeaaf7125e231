#pragma once

#include "serial/port_table.h"
#include "sim/meter_simulator.h"

#include <QString>
#include <memory>
#include <string>

namespace kv {

// The meter built into the program for --simulate, on a pseudo-terminal of its own. Without
// a script it plays the demo round and round; a script given by the user plays once and the
// meter then falls silent. Null with a reason in *error when the script cannot be read or
// parsed or the device cannot be made.
std::unique_ptr<sim::MeterSimulator> startSimulatedMeter(const QString& scriptPath,
                                                         std::string* error);

// The port list entry for a running simulated meter. It names the meter's private link,
// not the pseudo-terminal: the terminal gets a new number whenever the meter comes back
// from being unplugged, and the serial link only ever reopens the path it was given.
PortEntry simulatedMeterPort(const sim::MeterSimulator& meter);

} // namespace kv
