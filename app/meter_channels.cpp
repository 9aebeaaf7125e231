#include "app/meter_channels.h"

#include "app/simulated_meter.h"
#include "serial/serial_link.h"
#include "sim/meter_simulator.h"

#include <QCoreApplication>

namespace kv {

MeterChannels::MeterChannels() = default;

MeterChannels::~MeterChannels() {
    // The derived channels first, then the meters, then their links and simulators.
    while (!channels_.empty())
        channels_.pop_back();
    for (auto& s : simulators_)
        s->stop();
}

bool MeterChannels::build(const CommandLine& cl) {
    for (const CommandLine::Meter& meter : cl.meters) {
        PortEntry port;
        if (isSimulatedDevice(meter.device)) {
            std::string why;
            auto simulator = startSimulatedMeter(meter.device.mid(4), &why);
            if (!simulator) {
                error_ = QCoreApplication::translate("kv::Program", "simulator: %1")
                             .arg(QString::fromStdString(why));
                return false;
            }
            port = simulatedMeterPort(*simulator);
            simulators_.push_back(std::move(simulator));
        } else {
            port = PortTable::describeDevice(meter.device.toStdString());
        }
        const PortTable table({port}, {});
        ports_.push_back(table.entries());
        links_.push_back(std::make_unique<SerialLink>(table));
        channels_.push_back(std::make_unique<Channel>(*links_.back()));
        channels_.back()->setName(meter.name);
        order_.push_back(channels_.back().get());
    }
    for (const DerivedFormula& formula : cl.derived) {
        std::vector<Channel*> inputs;
        for (const std::string& name : formula.inputs)
            for (Channel* c : order_)
                if (c->name() == QString::fromStdString(name))
                    inputs.push_back(c);
        channels_.push_back(std::make_unique<Channel>(formula, inputs));
        channels_.back()->setName(QString::fromStdString(formula.name));
        order_.push_back(channels_.back().get());
        ports_.emplace_back();
    }
    return true;
}

} // namespace kv
