#include "chart/chart_base.h"

#include <initializer_list>

namespace kv {

ChartBase::ChartBase(QWidget* parent) : AxisPanel(parent) {
    auto repaint = [this](SettingsObject&) { requestRepaint(); };
    for (SettingsObject* o : std::initializer_list<SettingsObject*>{
             &title_, &title_.brush(), &title_.frame(), &foot_, &foot_.brush(), &foot_.frame(),
             &legend_, &backWall_, &backWall_.brush(), &backWall_.pen(), &leftWall_,
             &leftWall_.brush(), &leftWall_.pen(), &bottomWall_, &bottomWall_.brush(),
             &bottomWall_.pen()})
        o->onChange = repaint;
}

void ChartBase::paintTitles(Canvas& c) {
    Rect plot = plotRect();
    if (title_.visible())
        title_.paint(c, plot, false);
    if (foot_.visible())
        foot_.paint(c, plot, true);
    setPlotRect(plot);
    recalcPlotSize();
}

void ChartBase::paintBackWall(Canvas& c) {
    backWall_.pen().applyTo(c);
    c.setPenMode(PenMode::pmCopy);
    const ChartBrush& b = backWall_.brush();
    if (b.style() == BrushStyle::bsClear) {
        c.setBrushStyle(BrushStyle::bsClear);
    } else {
        c.setBrushStyle(BrushStyle::bsSolid);
        c.setBrushColor(backWall_.color() != ColorDefault ? backWall_.color() : b.color());
    }
    const Rect& p = plotRect();
    c.rectangle(Rect{p.left, p.top, clampToInt(p.right + 1LL), clampToInt(p.bottom + 1LL)});
}

} // namespace kv
