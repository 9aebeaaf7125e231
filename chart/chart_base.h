#pragma once

#include "chart/axis_panel.h"
#include "chart/chart_legend.h"
#include "chart/chart_title.h"
#include "chart/chart_wall.h"

namespace kv {

// Adds the title and foot blocks, the legend switch and the walls.
class ChartBase : public AxisPanel {
public:
    explicit ChartBase(QWidget* parent = nullptr);

    ChartTitle& title() { return title_; }
    const ChartTitle& title() const { return title_; }
    ChartTitle& foot() { return foot_; }
    const ChartTitle& foot() const { return foot_; }
    ChartLegend& legend() { return legend_; }
    ChartWall& backWall() { return backWall_; }
    const ChartWall& backWall() const { return backWall_; }
    ChartWall& leftWall() { return leftWall_; }
    ChartWall& bottomWall() { return bottomWall_; }

protected:
    void paintTitles(Canvas& c) override;
    void paintBackWall(Canvas& c) override;

private:
    ChartTitle title_;
    ChartTitle foot_;
    ChartLegend legend_;
    ChartWall backWall_;
    ChartWall leftWall_{0x80FFFF, BrushStyle::bsSolid};
    ChartWall bottomWall_{clWhite, BrushStyle::bsSolid};
};

} // namespace kv
