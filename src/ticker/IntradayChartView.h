#pragma once
// The intraday chart drawn from minute data, for a stock whose chart image is missing: a
// thin painter over IntradayChartModel. It shows at once what is known about the stock: its
// chart, an empty frame while the data loads, or a short text when it cannot be had. It
// only ever shows the stock it was last given.

#include "ticker/IntradayChartModel.h"

#include <QTimer>
#include <QWidget>

#include <string>

namespace marlune {

class MinuteChartSource;

class IntradayChartView final : public QWidget {
    Q_OBJECT
public:
    enum class State { kEmpty, kLoading, kChart, kNoData, kFailed };

    // The source is not owned; it must outlive the view.
    explicit IntradayChartView(MinuteChartSource* source, QWidget* parent = nullptr);

    // Shows the stock ("sh600000") around its previous close (0 when unknown) and asks the
    // source for its minute data. An empty symbol shows the failure text.
    void ShowStock(const std::string& symbol, double previousClose);

    // The rising and falling colours of the user's settings.
    void SetColors(const QColor& up, const QColor& down);

    // While shown, the stock's data is asked for again at this interval (the source fetches
    // only once what it keeps has grown old), so a popup left open follows the day.
    static constexpr int kRefreshMs = 15000;
    void setRefreshInterval(int milliseconds) { m_refresh.setInterval(milliseconds); }

    State state() const;
    const std::string& symbol() const { return m_symbol; }
    // The texts shown for a stock without data; "" for the other states.
    QString stateText() const;
    // The model of what is drawn now, at the view's size.
    IntradayChartModel Model() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onSourceUpdated(const QString& symbol);
    const MinuteDay* day() const;

    MinuteChartSource* m_source;
    std::string m_symbol;
    double m_previousClose = 0;
    IntradayChartColors m_colors;
    QTimer m_refresh;
};

} // namespace marlune
