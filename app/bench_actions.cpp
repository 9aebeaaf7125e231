#include "app/bench_actions.h"

#include "app/error_reporter.h"
#include "app/limits_dialog.h"
#include "record/error_output.h"
#include "record/recorder.h"
#include "session/meter_poller.h"
#include "watch/limit_command.h"
#include "watch/statistics_text.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QWidget>

namespace kv {

namespace {

// The texts belong to the window.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

bool sameLimits(const Limits& a, const Limits& b) {
    return a.lower == b.lower && a.upper == b.upper && a.unit == b.unit;
}

void tellOnStderr(const QString& line) {
    writeErrorLine(
        (QCoreApplication::applicationName() + QStringLiteral(": ") + line).toStdString());
}

} // namespace

BenchActions::BenchActions(QWidget& host, RoundMeter& meter, const Recorder& recorder,
                           ErrorReporter& errors)
    : host_(host), recorder_(recorder), errors_(errors), band_(meter) {
    separator_ = new QAction(&host_);
    separator_->setSeparator(true);
    holdAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Hold")),
                      QKeySequence(Qt::CTRL | Qt::Key_H), true);
    connect(holdAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { holdClick(); }); });
    relativeAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Relative")),
                          QKeySequence(Qt::CTRL | Qt::Key_D), true);
    connect(relativeAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { relativeClick(); }); });
    limitsAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Limits...")),
                        QKeySequence(Qt::CTRL | Qt::Key_L), false);
    connect(limitsAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { limitsClick(); }); });
    statisticsAction_ =
        add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Show statistics")), QKeySequence(), true);
    connect(statisticsAction_, &QAction::triggered, this, [this] {
        emit changed();
        emit settingsChanged();
    });

    watch_.limits().onBell = [this] { emit bell(); };
    watch_.limits().onCrossing = [this](const LimitCrossing& crossing) {
        if (command_)
            command_->run(crossing);
    };
    connect(this, &BenchActions::bell, this, [] { QApplication::beep(); });
}

BenchActions::~BenchActions() = default;

QAction* BenchActions::add(const QString& text, const QKeySequence& key, bool checkable) {
    auto* action = new QAction(text, &host_);
    action->setCheckable(checkable);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        host_.addAction(action);
    }
    return action;
}

QList<QAction*> BenchActions::actions() const {
    return {separator_, holdAction_, relativeAction_, limitsAction_, statisticsAction_};
}

void BenchActions::feed(const Reading& measured) {
    // Codes without a row carry no value of the meter's: nothing to hold, compare or watch.
    if (measured.status != Reading::Status::unlisted) {
        last_ = measured;
        anyReading_ = true;
        watch_.feed(watched(measured));
    }
    syncChecks();
    placeBand();
}

bool BenchActions::shaping() const {
    return watch_.display().held || watch_.relative().active();
}

void BenchActions::releaseAll() {
    watch_.releaseAll();
    syncChecks();
    placeBand();
    emit changed();
}

void BenchActions::setLimits(const Limits& limits) {
    watch_.limits().setLimits(limits);
    placeBand();
    emit changed();
}

bool BenchActions::statisticsShown() const {
    return statisticsAction_->isChecked();
}

void BenchActions::setStatisticsShown(bool shown) {
    statisticsAction_->setChecked(shown);
    emit changed();
}

void BenchActions::setLimitCommand(const QString& commandLine) {
    delete command_;
    command_ = nullptr;
    if (commandLine.isEmpty())
        return;
    command_ = new LimitCommand(commandLine, this);
    connect(command_, &LimitCommand::told, this, &tellOnStderr);
}

void BenchActions::holdClick() {
    watch_.toggleHold(wallClockMs());
    syncChecks();
    emit changed();
}

void BenchActions::relativeClick() {
    watch_.toggleRelative();
    syncChecks();
    placeBand();
    emit changed();
}

void BenchActions::limitsClick() {
    // The limits are asked for in the unit the meter shows; limits in another unit are not
    // offered for editing there.
    Limits current = limits();
    if (anyReading_ && current.unit != last_.unit) {
        current = Limits{};
        current.unit = last_.unit;
    }
    LimitsDialog dialog(current, &host_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    setLimits(dialog.limits());
    emit settingsChanged();
}

void BenchActions::syncChecks() {
    holdAction_->setChecked(watch_.display().held);
    relativeAction_->setChecked(watch_.relative().active());
}

void BenchActions::placeBand() {
    const LimitWatch& w = watch_.limits();
    if (!w.active() || w.suspended() || watch_.relative().active()) {
        band_.remove();
        banded_.reset();
        return;
    }
    if (banded_ && sameLimits(*banded_, w.limits()))
        return;
    band_.apply(w.limits().lower, w.limits().upper);
    banded_ = w.limits();
}

QString BenchActions::footerNote() const {
    QStringList lines;
    for (const std::string& line : watch_.footerTexts())
        lines << QString::fromStdString(line);
    if (statisticsShown()) {
        const RecordStatistics statistics = recorder_.statistics();
        lines << QString::fromStdString(anyReading_
                                            ? statisticsText(statistics, last_.unit, last_.format)
                                            : kv::statisticsLines(statistics, {}, {}).front());
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList BenchActions::statisticsLines() const {
    QStringList lines;
    for (const std::string& line :
         kv::statisticsLines(recorder_.statistics(), last_.unit, anyReading_ ? last_.format : ""))
        lines << QString::fromStdString(line);
    return lines;
}

namespace {

const QString kLowerKey = QStringLiteral("bench/lower");
const QString kUpperKey = QStringLiteral("bench/upper");
const QString kUnitKey = QStringLiteral("bench/unit");
const QString kStatisticsKey = QStringLiteral("bench/statistics");
// As the port is kept (see PortMemory).
QSettings settings() {
    return QSettings(QStringLiteral("kv27500"), QStringLiteral("kv27500"));
}

std::optional<float> limitValue(const QSettings& s, const QString& key) {
    bool ok = false;
    const float value = s.value(key).toFloat(&ok);
    return ok ? std::optional<float>(value) : std::nullopt;
}

} // namespace

Limits BenchMemory::limits() const {
    const QSettings s = settings();
    Limits limits;
    limits.lower = limitValue(s, kLowerKey);
    limits.upper = limitValue(s, kUpperKey);
    if (limits.lower && limits.upper && *limits.lower > *limits.upper)
        return {};
    limits.unit = s.value(kUnitKey).toString().toStdString();
    return limits;
}

void BenchMemory::setLimits(const Limits& limits) {
    QSettings s = settings();
    for (const auto& [key, value] : {std::pair{kLowerKey, limits.lower}, {kUpperKey, limits.upper}})
        if (value)
            s.setValue(key, double(*value));
        else
            s.remove(key);
    s.setValue(kUnitKey, QString::fromStdString(limits.unit));
}

void BenchMemory::attach(BenchActions& bench, const Limits& given) {
    const BenchMemory memory;
    bench.setLimits(given.any() ? given : memory.limits());
    bench.setStatisticsShown(memory.statisticsShown());
    QObject::connect(&bench, &BenchActions::settingsChanged, &bench, [&bench] {
        BenchMemory memory;
        memory.setLimits(bench.limits());
        memory.setStatisticsShown(bench.statisticsShown());
    });
}

bool BenchMemory::statisticsShown() const {
    return settings().value(kStatisticsKey, false).toBool();
}

void BenchMemory::setStatisticsShown(bool shown) {
    settings().setValue(kStatisticsKey, shown);
}

} // namespace kv
