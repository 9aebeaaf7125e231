#include "app/simulated_meter.h"

#include "core/translated.h"

#include <QFile>

namespace kv {

std::unique_ptr<sim::MeterSimulator> startSimulatedMeter(const QString& scriptPath,
                                                         std::string* error) {
    std::string text;
    if (scriptPath.isEmpty()) {
        text = sim::demoScript();
    } else {
        QFile file(scriptPath);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = withArguments(translated("kv::SimulatedMeter", "cannot read %1"),
                                       {scriptPath.toStdString()});
            return nullptr;
        }
        text = file.readAll().toStdString();
    }
    sim::ParsedScript script = sim::parseSimScript(text);
    if (!script.ok()) {
        if (error)
            *error = (scriptPath.isEmpty() ? translated("kv::SimulatedMeter", "demo")
                                           : scriptPath.toStdString()) +
                     ": " + script.error;
        return nullptr;
    }
    auto meter =
        std::make_unique<sim::MeterSimulator>(std::move(script.steps), scriptPath.isEmpty());
    if (!meter->startWithPrivateLink(error))
        return nullptr;
    return meter;
}

PortEntry simulatedMeterPort(const sim::MeterSimulator& meter) {
    return PortTable::describeDevice(meter.linkPath(),
                                     translated("kv::SimulatedMeter", "KV27500 simulator"));
}

} // namespace kv
