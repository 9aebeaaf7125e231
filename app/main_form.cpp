#include "app/main_form.h"

#include "canvas/canvas.h"
#include "canvas/face_widget.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kv {

namespace {

FontSpec fontSpec(const FormFont& font, ColorValue color = clWindowText, bool bold = false) {
    FontSpec f;
    f.name = font.name;
    f.height = -font.characterHeight;
    f.color = color;
    f.bold = bold;
    return f;
}

FontSpec zoomed(FontSpec f, double zoom) {
    f.height = static_cast<int>(std::lround(f.height * zoom));
    return f;
}

int scaled(int length, double zoom) {
    return static_cast<int>(std::lround(length * zoom));
}

FontSpec arial(int characterHeight, ColorValue color, bool bold = false) {
    return fontSpec({"Arial", characterHeight}, color, bold);
}

void setBevel(Bevel& b, BevelStyle style, int spacing, int width) {
    b.setStyle(style);
    b.setSpacing(spacing);
    b.setBevelLine(BevelLineKind::blNone);
    b.setWidth(width);
}

void setSurface(Bevel& b, bool visible) {
    b.surfaceGrad().setVisible(visible);
    b.surfaceGrad().setStyle(GradientStyle::gsHorizontal1);
}

void setSignal(SignalSettings& s, const char* format, float from, float to) {
    s.setName1("SignalName1");
    s.setName2("SignalName2");
    s.setValueFormat(format);
    s.setValueFrom(from);
    s.setValueTo(to);
    s.setValueUnit("Volt");
}

} // namespace

MainFormControls createMainForm(QWidget& window) {
    using namespace mainform;
    MainFormControls c;
    // Creation order is stacking order: later controls lie above earlier ones.
    c.analog = new Meter180(&window);
    applyForm(*c.analog, kAnalog);
    applyMeterSettings(*c.analog);
    // The needle flashes while a reading lies beyond its scale, or the meter shows OL.
    c.analog->setOptions(c.analog->options().with(RoundMeterOption::opOverflow));
    c.analog->loaded();

    c.label1 = new QLabel(&window);
    applyForm(*c.label1, kLabel1);

    c.anz = new ValueIndicator(&window);
    applyForm(*c.anz, kAnz);
    applyIndicatorSettings(*c.anz);
    c.anz->loaded();

    c.label2 = new QLabel(&window);
    applyForm(*c.label2, kLabel2);

    c.balken = new LevelBar(&window);
    applyForm(*c.balken, kBalken);
    applyBarSettings(*c.balken);

    c.chart1 = new TrendChart(&window);
    applyForm(*c.chart1, kChart1);
    applyChartSettings(*c.chart1);
    c.series1 = std::make_unique<LineSeries>();
    applySeriesSettings(*c.series1);
    c.chart1->addSeries(c.series1.get());

    c.comSel = new QComboBox(&window);
    c.comSel->setEditable(true);
    c.comSel->setInsertPolicy(QComboBox::NoInsert);
    applyForm(*c.comSel, kComSel);

    c.open = new QPushButton(&window);
    applyForm(*c.open, kOpen);
    c.button2 = new QPushButton(&window);
    applyForm(*c.button2, kButton2);
    c.button1 = new QPushButton(&window);
    applyForm(*c.button1, kButton1);

    applyTabOrder({{&kComSel, c.comSel},
                   {&kOpen, c.open},
                   {&kButton2, c.button2},
                   {&kChart1, c.chart1},
                   {&kButton1, c.button1}});

    // The tab order puts Exit where Stop is expected, so the commands have keys of their own
    // that need no new caption; window-wide, so that they also work from the port box.
    const std::pair<QKeySequence, QPushButton*> keys[] = {
        {QKeySequence(Qt::Key_F5), c.open}, {QKeySequence(Qt::Key_Escape), c.button1}};
    for (const auto& [key, button] : keys)
        QObject::connect(new QShortcut(key, &window), &QShortcut::activated, button,
                         &QPushButton::click);
    return c;
}

QPalette lightSystemPalette() {
    const QColor face(0xEF, 0xEF, 0xEF);
    const QColor shadow(0x9F, 0x9F, 0x9F);
    const QColor mid(0xB8, 0xB8, 0xB8);
    // Qt's light defaults. In the constructor's order: window text (the labels), button
    // (clBtnFace, clScrollBar), light (clBtnHighlight), dark (clBtnShadow), mid, text
    // (clWindowText), bright text, base (clWindow), window.
    return QPalette(Qt::black, face, Qt::white, shadow, mid, Qt::black, Qt::white, Qt::white, face);
}

void applyWindowForm(QWidget& window) {
    window.setWindowTitle(QString::fromUtf8(mainform::kCaption));
    window.setFixedSize(mainform::kClientWidth, mainform::kClientHeight);
    // The labels draw with the window's text colour; the buttons and the port box keep the
    // desktop's other colours, which they are drawn in as a whole.
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, toQColor(kFormColor));
    pal.setColor(QPalette::WindowText, lightSystemPalette().color(QPalette::WindowText));
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    window.setFont(toQFont(fontSpec(mainform::kFont)));
}

void placeControl(QWidget& control, const ControlForm& form, double zoom) {
    if (form.font.name)
        control.setFont(toQFont(zoomed(fontSpec(form.font), zoom)));
    // The edges are scaled, not the sizes, so that controls that meet still meet.
    const int left = scaled(form.left, zoom), top = scaled(form.top, zoom);
    int width = scaled(form.left + form.width, zoom) - left;
    // A caption's text grows a little faster than its place where the font's pixels round
    // up ("COMPORT" at 125 %): a label on one line keeps room for all of it.
    const auto* label = qobject_cast<const QLabel*>(&control);
    if (zoom != 1.0 && label && !label->wordWrap())
        width = std::max(width, label->sizeHint().width());
    control.setGeometry(left, top, width, scaled(form.top + form.height, zoom) - top);
}

void placeMainForm(QWidget& window, const MainFormControls& c, double zoom) {
    using namespace mainform;
    window.setFixedSize(scaled(kClientWidth, zoom), scaled(kClientHeight, zoom));
    window.setFont(toQFont(zoomed(fontSpec(kFont), zoom)));
    const std::pair<QWidget*, const ControlForm*> controls[] = {
        {c.analog, &kAnalog},   {c.label1, &kLabel1},  {c.anz, &kAnz},       {c.label2, &kLabel2},
        {c.balken, &kBalken},   {c.chart1, &kChart1},  {c.comSel, &kComSel}, {c.open, &kOpen},
        {c.button2, &kButton2}, {c.button1, &kButton1}};
    for (const auto& [control, form] : controls) {
        if (auto* face = dynamic_cast<FaceWidget*>(control))
            face->setZoom(zoom);
        placeControl(*control, *form, zoom);
    }
}

void applyForm(QWidget& control, const ControlForm& form) {
    if (form.name)
        control.setObjectName(QString::fromUtf8(form.name));
    placeControl(control, form, 1.0);
    if (!form.text)
        return;
    const QString text = QString::fromUtf8(form.text);
    if (auto* label = qobject_cast<QLabel*>(&control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else if (auto* box = qobject_cast<QComboBox*>(&control))
        box->setEditText(text);
}

void applyTabOrder(std::initializer_list<std::pair<const ControlForm*, QWidget*>> controls) {
    std::vector<std::pair<int, QWidget*>> chain;
    for (const auto& [form, control] : controls)
        if (form->tabOrder >= 0 && control->focusPolicy() != Qt::NoFocus)
            chain.emplace_back(form->tabOrder, control);
    std::stable_sort(chain.begin(), chain.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1].second, chain[i].second);
}

void applyIndicatorSettings(ValueIndicator& anz) {
    anz.setDigit(500);
    anz.setLimitUpper(90.0f);
    anz.setLimitLower(10.0f);
    anz.sectorSettings().setOffset(0);
    anz.sectorSettings().setWidthOffset(0);
    setSignal(anz.signalSettings(), "0000.0", -99999.0f, 99999.0f);
    anz.setValue(50.0f);
    anz.setFont(arial(11, clWindowText));
    anz.setAutoSize(false);
    anz.setFontValue(arial(64, clBlack, true));
    setBevel(anz.bevelInner(), BevelStyle::bsLowered, 0, 0);
    setSurface(anz.bevelInner(), false);
    setBevel(anz.bevelOuter(), BevelStyle::bsRaised, 5, 2);
    setSurface(anz.bevelOuter(), false);
    setBevel(anz.bevelValue(), BevelStyle::bsLowered, 0, 0);
    anz.bevelValue().setColor(kFormColor);
    setSurface(anz.bevelValue(), false);
    anz.setOptions({});
}

void applyMeterSettings(Meter180& analog) {
    analog.setDigit(0);
    analog.setLimitUpper(90.0f);
    analog.setLimitLower(0.0001f);
    analog.sectorSettings().setOffset(0);
    analog.sectorSettings().setWidthOffset(0);
    setSignal(analog.signalSettings(), "0.0000", 0.000001f, 10.0f);
    analog.minMax().setUseSectorCol(false);
    analog.minMax().setMinVisible(false);
    analog.minMax().setMaxVisible(false);
    analog.setValue(0.001f);
    analog.setFont(arial(11, clWindowText));
    analog.setAutoSize(false);
    analog.arrowSettings().setShape(6);
    analog.setFontUnit(arial(16, clBlack));
    Bevel& inner = analog.bevelInner();
    setBevel(inner, BevelStyle::bsLowered, 5, 2);
    setSurface(inner, true);
    inner.surfaceGrad().setColorFrom(clWhite);
    inner.surfaceGrad().setColorTo(kFormColor);
    setBevel(analog.bevelOuter(), BevelStyle::bsLowered, 0, 0);
    setSurface(analog.bevelOuter(), false);
    analog.setOptions(
        {RoundMeterOption::opBevelInner, RoundMeterOption::opBevelOuter, RoundMeterOption::opUnit});
    ScaleSettings& scale = analog.scaleSettings();
    scale.setColor(clBlack);
    scale.setPointerColor(clLime);
    scale.setDrawLine(true);
    scale.setFont(arial(19, clWindowText));
    scale.setPosLeftTop(false);
    scale.setSteps(10);
    scale.setSubSteps(5);
    scale.setValueFormat("0.0");
    scale.setValueFormatLog("0e-0");
}

void applyBarSettings(LevelBar& balken) {
    balken.setLoading(true);
    balken.setBarColorFrom(clBlack);
    balken.setBarColorTo(clNavy);
    balken.setLoading(false);
}

void applyChartSettings(TrendChart& chart) {
    chart.backWall().brush().setColor(clWhite);
    chart.backWall().brush().setStyle(BrushStyle::bsClear);
    chart.title().setText({"TrendChart"});
    chart.bottomAxis().setVisible(false);
    chart.rightAxis().setVisible(false);
    chart.topAxis().setVisible(false);
    chart.leftAxis().setAxisValuesFormat("#,##0.####");
    chart.legend().setVisible(false);
    chart.setView3D(false);
}

void applySeriesSettings(LineSeries& series) {
    series.setSeriesColor(clRed);
    series.marks().setVisible(false);
    series.marks().setArrowLength(8);
    series.pointer().setVisible(false);
    series.pointer().setStyle(PointerStyle::psRectangle);
    series.pointer().setInflateMargins(true);
    for (ValueList* list : series.valueLists()) {
        list->setMultiplier(1.0);
        list->setDateTime(false);
    }
    series.xValues().setName("X");
    series.xValues().setOrder(ValueListOrder::loAscending);
    series.yValues().setName("Y");
    series.yValues().setOrder(ValueListOrder::loNone);
}

} // namespace kv
