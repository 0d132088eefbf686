// The graph and strip-chart widgets the resource file names (CviGraph,
// CviStripChart). Engine calls change the data they hold and mark them dirty;
// a per-widget timer replots at most about 30 times a second, so a call from
// the program's tight loops costs microseconds however often it comes.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <optional>
#include <utility>
#include <vector>
#include <qcustomplot.h>

#include "engine/graphdata.h"

// What graphs and strip charts share: how their layer pictures reach the
// screen. The first picture (the background, the grid and what shares its
// layers) changes only with a full replot, so it is kept composed onto the
// background colour as one opaque picture: a frame copies it instead of
// filling the background and blending a transparent picture over it. The
// pictures above it are drawn as QCustomPlot draws them.
class CviPlot : public QCustomPlot {
public:
    explicit CviPlot(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap base_;
    bool baseValid_ = false;
};

class CviGraph : public CviPlot {
    Q_OBJECT
    Q_PROPERTY(double xMin READ xMin WRITE setXMin)
    Q_PROPERTY(double xMax READ xMax WRITE setXMax)
    Q_PROPERTY(double yMin READ yMin WRITE setYMin)
    Q_PROPERTY(double yMax READ yMax WRITE setYMax)
    Q_PROPERTY(double y2Min READ y2Min WRITE setY2Min)
    Q_PROPERTY(double y2Max READ y2Max WRITE setY2Max)
    Q_PROPERTY(QString xName READ xName WRITE setXName)
    Q_PROPERTY(QString yName READ yName WRITE setYName)
    Q_PROPERTY(bool rightAxisVisible READ rightAxisVisible WRITE setRightAxisVisible)

public:
    explicit CviGraph(QWidget* parent = nullptr);

    double xMin() const { return data_.xAxis.min; }
    double xMax() const { return data_.xAxis.max; }
    double yMin() const { return data_.yAxis.min; }
    double yMax() const { return data_.yAxis.max; }
    double y2Min() const { return data_.y2Axis.min; }
    double y2Max() const { return data_.y2Axis.max; }
    QString xName() const { return xName_; }
    QString yName() const { return yName_; }
    bool rightAxisVisible() const { return rightAxisVisible_; }
    void setXMin(double v);
    void setXMax(double v);
    void setYMin(double v);
    void setYMax(double v);
    void setY2Min(double v);
    void setY2Max(double v);
    void setXName(const QString& s);
    void setYName(const QString& s);
    void setRightAxisVisible(bool on);

    const GraphData& graphData() const { return data_; }
    // Returns the new plot's handle (>0).
    int addCurve(std::vector<double> x, std::vector<double> y, int plotStyle, int pointStyle,
                 int lineStyle, int pointFrequency, int color);
    int addRectangle(double x1, double y1, double x2, double y2, int frameColor, int fillColor);
    bool deletePlot(int handle);  // false: no such plot
    void deleteAllPlots();
    // axis: VAL_BOTTOM_XAXIS, VAL_LEFT_YAXIS, VAL_RIGHT_YAXIS. False for other
    // axes and for a manual range that is empty, reversed or not finite.
    bool setAxisRange(int axis, double min, double max, bool autoscale = false);
    // cursor: 1 or 2; false for others.
    bool setCursor(int cursor, double x, double y);
    bool setCursorPointStyle(int cursor, int style);
    bool setCursorColor(int cursor, int color);

    // Real replots done so far (tests check the rate limit by count).
    int replotCount() const { return replots_; }
    // Draws pending changes now (tests, benchmarks; the timer does it otherwise).
    void flush();

protected:
    void showEvent(QShowEvent* e) override;

private:
    struct Dirty {
        enum : unsigned { Plots = 1, Axes = 2, Cursors = 4, All = 7 };
    };
    int takeHandle();
    void markDirty(unsigned what);
    void render();
    enum class Shape { Rectangle, Graph, Curve };
    static Shape shapeOf(const GraphPlot& p);
    void rebuildPlots();
    void applyAxes();
    void updateCursors();

    GraphData data_;
    QString xName_, yName_;
    bool rightAxisVisible_ = false;
    unsigned dirty_ = 0;
    int replots_ = 0;
    QTimer repaint_;
    QElapsedTimer lastFrame_;
    // What the current plots are drawn with: refilled in place while the
    // shapes stay, made anew when they change.
    std::vector<QCPAbstractPlottable*> plottables_;
    std::vector<QCPAbstractItem*> items_;
    std::vector<Shape> shapes_;  // of data_.plots when last drawn, in order
    // Per cursor: its vertical line and its marker, both on the overlay layer.
    std::pair<QCPItemStraightLine*, QCPGraph*> cursorItems_[2] = {};
};

class CviStripChart : public CviPlot {
    Q_OBJECT
    Q_PROPERTY(double yMin READ yMin WRITE setYMin)
    Q_PROPERTY(double yMax READ yMax WRITE setYMax)
    Q_PROPERTY(int pointsPerScreen READ pointsPerScreen WRITE setPointsPerScreen)
    Q_PROPERTY(int numTraces READ numTraces WRITE setNumTraces)
    Q_PROPERTY(QString yName READ yName WRITE setYName)

public:
    explicit CviStripChart(QWidget* parent = nullptr);

    double yMin() const { return data_.yAxis.min; }
    double yMax() const { return data_.yAxis.max; }
    int pointsPerScreen() const { return data_.pointsPerScreen; }
    int numTraces() const { return static_cast<int>(data_.traces.size()); }
    QString yName() const { return yName_; }
    void setYMin(double v);
    void setYMax(double v);
    void setPointsPerScreen(int n);
    void setNumTraces(int n);
    void setYName(const QString& s);

    // ATTR_POINTS_PER_SCREEN and ATTR_NUM_TRACES; false for other attributes
    // or values out of range.
    bool setIntAttribute(int attr, int value);
    bool getIntAttribute(int attr, int* value) const;

    const StripData& stripData() const { return data_; }
    bool setYRange(double min, double max);  // false: empty, reversed or not finite
    // Interleaved values, one per trace in turn: numPoints values taken from
    // `start`, skipping `skip` values between points. False (nothing added)
    // unless numPoints is a whole number of samples.
    bool append(const double* values, int numPoints, int start, int skip);
    bool setTraceVisible(int trace, bool on);  // trace from 1
    bool setTraceColor(int trace, int color);

    int replotCount() const { return replots_; }
    void flush();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // What a change needs drawn again; each includes the ones before.
    enum class Redraw { Data, Axes, Traces };
    void markDirty(Redraw what);
    void render();

    StripData data_;
    QString yName_;
    std::optional<Redraw> pending_;  // the most the coming frame redraws
    int replots_ = 0;
    QTimer repaint_;
    QElapsedTimer lastFrame_;
};
