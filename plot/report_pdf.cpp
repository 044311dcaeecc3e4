#include "plot/report_pdf.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "plot/melting_plot.h"
#include "runner/plot_description.h"

namespace meltsim {

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMillimetres = 15;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

// Writes text lines down the page, starting a new page when one is full.
class PageCursor {
 public:
  PageCursor(QPdfWriter& writer, QPainter& painter)
      : writer_(writer), painter_(painter), page_(painter.viewport()) {}

  QRectF Page() const { return page_; }
  double Y() const { return y_; }
  void Skip(double height) { y_ += height; }

  // Makes room for `height`, on a new page when this one cannot take it.
  void Need(double height) {
    if (y_ + height > page_.bottom() && y_ > page_.top()) NewPage();
  }
  void NewPage() {
    writer_.newPage();
    y_ = page_.top();
  }

  // One paragraph, wrapped to the page width, in `font`.
  void Paragraph(const QString& text, const QFont& font, QColor colour = Qt::black) {
    painter_.setFont(font);
    painter_.setPen(colour);
    const QRectF box =
        painter_.boundingRect(QRectF(page_.left(), 0, page_.width(), 1e6), Qt::TextWordWrap, text);
    Need(box.height());
    painter_.drawText(QRectF(page_.left(), y_, page_.width(), box.height()), Qt::TextWordWrap,
                      text);
    y_ += box.height();
  }

 private:
  QPdfWriter& writer_;
  QPainter& painter_;
  QRectF page_;
  double y_ = 0;
};

QFont Font(double points, bool bold = false, bool fixed = false) {
  QFont font(fixed ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

void Heading(PageCursor& cursor, const QString& text) {
  cursor.Skip(QFontMetricsF(Font(9)).height() * 0.6);
  cursor.Paragraph(text, Font(12, true), QColor(128, 0, 0));
}

void InputsTable(PageCursor& cursor, QPainter& painter, const ReportContent& report) {
  Heading(cursor, QStringLiteral("Inputs"));
  painter.setFont(Font(8.5));
  const double line = QFontMetricsF(painter.font()).height() * 1.05;
  const int half = (static_cast<int>(report.inputs.size()) + 1) / 2;
  cursor.Need(line * half);
  const QRectF page = cursor.Page();
  const double column = page.width() / 2;
  for (int i = 0; i < static_cast<int>(report.inputs.size()); ++i) {
    const ReportInput& input = report.inputs[static_cast<std::size_t>(i)];
    const double x = page.left() + (i < half ? 0 : column);
    const double y = cursor.Y() + line * (i < half ? i : i - half);
    painter.setPen(Qt::black);
    // Symbol, name and value side by side; the longest value, "-0.0001237700",
    // takes a third of the column.
    painter.drawText(QRectF(x, y, column * 0.15, line), Qt::AlignLeft, Utf8(input.symbol));
    painter.drawText(QRectF(x + column * 0.15, y, column * 0.52, line), Qt::AlignLeft,
                     Utf8(input.name));
    painter.drawText(QRectF(x + column * 0.64, y, column * 0.33, line), Qt::AlignRight,
                     Utf8(input.value));
  }
  cursor.Skip(line * half);
}

void Plots(PageCursor& cursor, QPainter& painter, const RunResults& results) {
  cursor.NewPage();
  Heading(cursor, QStringLiteral("Plots against the position along the screw"));
  const QRectF page = cursor.Page();
  const double cellWidth = page.width() / 2;
  const double scale = cellWidth / kGridCellWidth;
  const double cellHeight = kGridCellHeight * scale;
  for (int k = 0; k < kPlotKindCount; ++k) {
    painter.save();
    painter.translate(page.left() + (k % 2) * cellWidth, cursor.Y() + (k / 2) * cellHeight);
    painter.scale(scale, scale);
    RenderPlot(painter, QRectF(0, 0, kGridCellWidth, kGridCellHeight),
               DescribePlot(static_cast<PlotKind>(k), &results, nullptr));
    painter.restore();
  }
  cursor.Skip(2 * cellHeight);
}

void StepTable(PageCursor& cursor, QPainter& painter, const ReportContent& report) {
  cursor.NewPage();
  Heading(cursor, QStringLiteral("Step table (%1 rows)").arg(report.rows.size()));
  const QRectF page = cursor.Page();
  const double column = page.width() / kResultColumnCount;
  const auto row = [&](const std::array<std::string, kResultColumnCount>& cells, bool head) {
    painter.setFont(head ? Font(7, true) : Font(7.5, false, true));
    const double height = QFontMetricsF(painter.font()).height() * (head ? 2.2 : 1.1);
    painter.setPen(Qt::black);
    for (int c = 0; c < kResultColumnCount; ++c) {
      painter.drawText(QRectF(page.left() + c * column, cursor.Y(), column - 4, height),
                       Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap,
                       Utf8(cells[static_cast<std::size_t>(c)]));
    }
    cursor.Skip(height);
  };
  const double rowHeight = QFontMetricsF(Font(7.5, false, true)).height() * 1.1;
  row(report.heads, true);
  for (const auto& cells : report.rows) {
    // A new page repeats the heads.
    if (cursor.Y() + rowHeight > page.bottom()) {
      cursor.NewPage();
      row(report.heads, true);
    }
    row(cells, false);
  }
}

}  // namespace

QString WriteReportPdf(const QString& path, const ReportContent& report,
                       const RunResults& results) {
  QPdfWriter writer(path);
  writer.setResolution(kDotsPerInch);
  writer.setTitle(Utf8(report.title));
  writer.setCreator(QStringLiteral("meltsim"));
  writer.setPageLayout(QPageLayout(
      QPageSize(QPageSize::A4), QPageLayout::Portrait,
      QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
      QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&writer)) return QStringLiteral("Can not write ") + path;
  painter.setRenderHint(QPainter::Antialiasing);
  PageCursor cursor(writer, painter);
  cursor.Paragraph(Utf8(report.title), Font(16, true));
  cursor.Paragraph(Utf8(report.made), Font(9), QColor(90, 90, 90));
  cursor.Skip(QFontMetricsF(Font(9)).height() * 0.5);
  cursor.Paragraph(Utf8(report.headline), Font(11, true),
                   results.failed ? QColor(200, 0, 0) : QColor(128, 0, 0));
  QString about = QStringLiteral("Polymer: ") + Utf8(report.polymer);
  if (!report.series.empty()) about += QStringLiteral("    ") + Utf8(report.series);
  if (!report.status.empty()) about += QStringLiteral("    ") + Utf8(report.status);
  cursor.Paragraph(about, Font(9));
  InputsTable(cursor, painter, report);
  if (!report.summary.empty()) {
    Heading(cursor, QStringLiteral("Summary"));
    for (const std::string& line : report.summary)
      cursor.Paragraph(Utf8(line), Font(8.5, false, true));
  }
  if (!report.warnings.empty()) {
    Heading(cursor, QStringLiteral("Warnings and notices"));
    for (const std::string& w : report.warnings)
      cursor.Paragraph(QString::fromUtf8("\u2022 ") + Utf8(w), Font(8.5), QColor(150, 90, 0));
  }
  if (!results.contents.rows.empty()) {
    Plots(cursor, painter, results);
    StepTable(cursor, painter, report);
  }
  if (!painter.end() || QFileInfo(path).size() <= 0) return QStringLiteral("Can not write ") + path;
  return {};
}

}  // namespace meltsim
