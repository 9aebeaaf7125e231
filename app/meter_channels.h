#pragma once

#include "app/command_line.h"
#include "channel/channel.h"
#include "serial/port_table.h"

#include <QString>
#include <memory>
#include <vector>

namespace kv {

class SerialLink;
namespace sim {
class MeterSimulator;
}

// The channels of --meter and --derive: one per meter, each on a serial link of its own (a
// simulated meter started here for "sim" and "sim:SCRIPT"), then the derived ones, each fed
// by the channels it names. Made in the command line's order, gone in the reverse order, so
// that a derived channel never outlives its inputs.
class MeterChannels {
public:
    MeterChannels();
    ~MeterChannels();
    MeterChannels(const MeterChannels&) = delete;
    MeterChannels& operator=(const MeterChannels&) = delete;

    // Builds the channels of `cl`. False, with the reason in error(), when a simulated
    // meter cannot start.
    bool build(const CommandLine& cl);
    const QString& error() const { return error_; }

    // Every channel in the command line's order: the meters, then the derived channels.
    const std::vector<Channel*>& channels() const { return order_; }
    // The port of each channel's meter, in the same order; none for a derived channel.
    const std::vector<std::vector<PortEntry>>& ports() const { return ports_; }

private:
    std::vector<std::unique_ptr<sim::MeterSimulator>> simulators_;
    std::vector<std::unique_ptr<SerialLink>> links_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<Channel*> order_;
    std::vector<std::vector<PortEntry>> ports_;
    QString error_;
};

} // namespace kv
