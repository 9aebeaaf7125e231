#include "app/bench_actions.h"

#include "app/error_reporter.h"
#include "app/limits_dialog.h"
#include "channel/channel_bench.h"
#include "session/meter_poller.h"

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

} // namespace

BenchActions::BenchActions(QWidget& host, RoundMeter& meter, ChannelBench& bench,
                           ErrorReporter& errors)
    : host_(host), bench_(bench), errors_(errors), band_(meter) {
    separator_ = new QAction(&host_);
    separator_->setSeparator(true);
    holdAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Hold")),
                      QKeySequence(Qt::CTRL | Qt::Key_H), true);
    connect(holdAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { bench_.toggleHold(wallClockMs()); }); });
    relativeAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Relative")),
                          QKeySequence(Qt::CTRL | Qt::Key_D), true);
    connect(relativeAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { bench_.toggleRelative(); }); });
    limitsAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Limits...")),
                        QKeySequence(Qt::CTRL | Qt::Key_L), false);
    connect(limitsAction_, &QAction::triggered, this,
            [this] { errors_.guard([this] { limitsClick(); }); });
    statisticsAction_ =
        add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Show statistics")), QKeySequence(), true);
    connect(statisticsAction_, &QAction::triggered, this,
            [this](bool on) { bench_.setStatisticsShown(on); });

    connect(&bench_, &ChannelBench::changed, this, &BenchActions::sync);
    connect(&bench_, &ChannelBench::bell, this, [] { QApplication::beep(); });
    sync();
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

void BenchActions::limitsClick() {
    // The limits are asked for in the unit the meter shows; limits in another unit are not
    // offered for editing there.
    Limits current = bench_.limits();
    if (bench_.anyReading() && current.unit != bench_.lastReading().unit) {
        current = Limits{};
        current.unit = bench_.lastReading().unit;
    }
    LimitsDialog dialog(current, &host_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bench_.setLimits(dialog.limits());
}

void BenchActions::sync() {
    const BenchWatch& watch = bench_.watch();
    holdAction_->setChecked(watch.display().held);
    relativeAction_->setChecked(watch.relative().active());
    statisticsAction_->setChecked(bench_.statisticsShown());
    // The band on the meter while limits are on in the unit shown and not relative.
    const LimitWatch& w = watch.limits();
    if (!w.active() || w.suspended() || watch.relative().active()) {
        band_.remove();
        banded_.reset();
        return;
    }
    if (banded_ && sameLimits(*banded_, w.limits()))
        return;
    band_.apply(w.limits().lower, w.limits().upper);
    banded_ = w.limits();
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

void BenchMemory::attach(ChannelBench& bench, const Limits& given) {
    const BenchMemory memory;
    bench.setLimits(given.any() ? given : memory.limits());
    bench.setStatisticsShown(memory.statisticsShown());
    QObject::connect(&bench, &ChannelBench::settingsChanged, &bench, [&bench] {
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
