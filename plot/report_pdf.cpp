#include "plot/report_pdf.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "plot/melting_plot.h"
#include "plot/number_qstring.h"
#include "plot/study_plot.h"
#include "runner/plot_description.h"

namespace meltsim {

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMillimetres = 15;
// Room between two columns of the step table: 1.5 mm in device pixels.
constexpr double kHeadGap = 1.5 / 25.4 * kDotsPerInch;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

Unexpected<Failure> CannotWritePdf(const QString& path) {
  return Fail(FailureKind::CannotWrite, (QStringLiteral("Can not write ") + path).toStdString());
}

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

// The inputs in two columns of symbol, name and value. Each part is as wide
// as its longest text; when a column cannot hold them at the usual size the
// whole table is set smaller, so that no name is cut.
void InputsTable(PageCursor& cursor, QPainter& painter, const ReportContent& report) {
  Heading(cursor, QStringLiteral("Inputs"));
  const QRectF page = cursor.Page();
  const double column = page.width() / 2;
  double points = 8.5;
  double symbolWidth = 0, nameWidth = 0, valueWidth = 0, gap = 0;
  for (; points > 5.5; points -= 0.25) {
    const QFontMetricsF metrics(Font(points), painter.device());
    symbolWidth = nameWidth = valueWidth = 0;
    for (const ReportInput& input : report.inputs) {
      symbolWidth = std::max(symbolWidth, metrics.horizontalAdvance(Utf8(input.symbol)));
      nameWidth = std::max(nameWidth, metrics.horizontalAdvance(Utf8(input.name)));
      valueWidth = std::max(valueWidth, metrics.horizontalAdvance(Utf8(input.value)));
    }
    gap = metrics.averageCharWidth() * 1.5;
    if (symbolWidth + nameWidth + valueWidth + 4 * gap <= column) break;
  }
  painter.setFont(Font(points));
  const double line = QFontMetricsF(painter.font()).height() * 1.05;
  const int half = (static_cast<int>(report.inputs.size()) + 1) / 2;
  cursor.Need(line * half);
  for (int i = 0; i < static_cast<int>(report.inputs.size()); ++i) {
    const ReportInput& input = report.inputs[static_cast<std::size_t>(i)];
    const double x = page.left() + (i < half ? 0 : column);
    const double y = cursor.Y() + line * (i < half ? i : i - half);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x, y, symbolWidth + gap, line), Qt::AlignLeft, Utf8(input.symbol));
    painter.drawText(QRectF(x + symbolWidth + gap, y, nameWidth + gap, line), Qt::AlignLeft,
                     Utf8(input.name));
    // The values end where the column ends, less a gap before the next column.
    painter.drawText(QRectF(x + column - 2 * gap - valueWidth, y, valueWidth, line), Qt::AlignRight,
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
  Heading(cursor, QStringLiteral("Step table (%1 rows)").arg(IntegerQString(static_cast<long long>(report.rows.size()))));
  const QRectF page = cursor.Page();
  const double column = page.width() / kResultColumnCount;
  // The heads wrap inside their columns; the row of heads is as tall as the
  // tallest of them, so that none is clipped.
  painter.setFont(Font(7, true));
  double headHeight = 0;
  for (const std::string& head : report.heads) {
    headHeight =
        std::max(headHeight, painter
                                 .boundingRect(QRectF(0, 0, column - kHeadGap, 1e6),
                                               Qt::AlignRight | Qt::TextWordWrap, Utf8(head))
                                 .height());
  }
  headHeight += QFontMetricsF(painter.font()).height() * 0.2;
  const auto row = [&](const std::array<std::string, kResultColumnCount>& cells, bool head) {
    painter.setFont(head ? Font(7, true) : Font(7.5, false, true));
    const double height = head ? headHeight : QFontMetricsF(painter.font()).height() * 1.1;
    painter.setPen(Qt::black);
    for (int c = 0; c < kResultColumnCount; ++c) {
      painter.drawText(
          QRectF(page.left() + c * column, cursor.Y(), column - kHeadGap, height),
          (head ? Qt::AlignBottom : Qt::AlignVCenter) | Qt::AlignRight | Qt::TextWordWrap,
          Utf8(cells[static_cast<std::size_t>(c)]));
    }
    cursor.Skip(height);
  };
  const double rowHeight = QFontMetricsF(Font(7.5, false, true), painter.device()).height() * 1.1;
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

// The text of a study's cell in the report: numbers to five significant digits.
QString CellOf(const StudyCell& cell) {
  if (cell.number) return SignificantQString(*cell.number, 5);
  return Utf8(cell.text.value_or(""));
}

// A column head that may wrap after an underscore ("MELTEND_ elasticity").
QString HeadOf(const StudyColumn& column) {
  // A unit such as "(1/min)" stays whole: no break after its slash.
  return Utf8(ColumnHead(column))
      .replace(QLatin1Char('_'), QStringLiteral("_\u200b"))
      .replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
}

// The widths of a study's columns: each as wide as its longest word of the
// head and its longest cell, a text column at most a third of the page.
std::vector<double> StudyColumnWidths(QPainter& painter, const StudyTable& table, double points,
                                      double pageWidth) {
  const QFontMetricsF metrics(Font(points), painter.device());
  const QFontMetricsF headMetrics(Font(points, true), painter.device());
  const double pad = metrics.averageCharWidth() * 1.5;
  std::vector<double> widths;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    double width = 0;
    for (const QString& word :
         Utf8(ColumnHead(table.columns[c])).split(QRegularExpression(QStringLiteral("[ _]"))))
      width = std::max(width, headMetrics.horizontalAdvance(word + QLatin1Char('_')) * 1.1);
    for (const std::vector<StudyCell>& cells : table.rows)
      width = std::max(width, metrics.horizontalAdvance(CellOf(cells[c])));
    if (!table.columns[c].number) width = std::min(width, pageWidth / 3);
    widths.push_back(width + pad);
  }
  return widths;
}

// The columns in blocks that fit the page's width, each block led by the
// first column (the input or the point the row belongs to).
std::vector<std::vector<std::size_t>> ColumnBlocks(const std::vector<double>& widths,
                                                   double pageWidth) {
  std::vector<std::vector<std::size_t>> blocks = {{0}};
  double used = widths.empty() ? 0 : widths[0];
  for (std::size_t c = 1; c < widths.size(); ++c) {
    if (used + widths[c] > pageWidth && blocks.back().size() > 1) {
      blocks.push_back({0});
      used = widths[0];
    }
    blocks.back().push_back(c);
    used += widths[c];
  }
  return blocks;
}

// A study's table at 6.5 points, in as many blocks of columns as the page's
// width needs; long texts wrap in their column.
void StudyTableRows(PageCursor& cursor, QPainter& painter, const StudyTable& table) {
  const QRectF page = cursor.Page();
  if (table.columns.empty()) return;
  constexpr double kPoints = 6.5;
  const std::vector<double> widths = StudyColumnWidths(painter, table, kPoints, page.width());
  const auto draw = [&](const std::vector<std::size_t>& block, const QStringList& texts,
                        bool head) {
    painter.setFont(Font(kPoints, head));
    double h = QFontMetricsF(painter.font()).height();
    for (std::size_t c : block) {
      h = std::max(h, painter
                          .boundingRect(QRectF(0, 0, widths[c] - 2, 1e6), Qt::TextWordWrap,
                                        texts[static_cast<int>(c)])
                          .height());
    }
    h *= 1.08;
    if (cursor.Y() + h > page.bottom()) cursor.NewPage();
    painter.setPen(Qt::black);
    // A text column keeps a space from the number before it.
    const double indent = QFontMetricsF(painter.font()).averageCharWidth();
    double x = page.left();
    for (std::size_t c : block) {
      const bool number = table.columns[c].number;
      const int align = (number ? Qt::AlignRight : Qt::AlignLeft) |
                        (head ? Qt::AlignBottom : Qt::AlignTop) | Qt::TextWordWrap;
      const double left = number || c == 0 ? 0 : indent;
      painter.drawText(QRectF(x + left, cursor.Y(), widths[c] - 2 - left, h), align,
                       texts[static_cast<int>(c)]);
      x += widths[c];
    }
    cursor.Skip(h);
  };
  QStringList heads;
  for (const StudyColumn& column : table.columns) heads << HeadOf(column);
  for (const std::vector<std::size_t>& block : ColumnBlocks(widths, page.width())) {
    draw(block, heads, true);
    for (const std::vector<StudyCell>& cells : table.rows) {
      QStringList texts;
      for (const StudyCell& cell : cells) texts << CellOf(cell);
      draw(block, texts, false);
    }
    cursor.Skip(QFontMetricsF(Font(kPoints), painter.device()).height());
  }
}

// The study on pages of its own: title, what it found, the plot and the table.
void StudyPages(PageCursor& cursor, QPainter& painter, const StudyReport& study) {
  cursor.NewPage();
  Heading(cursor, QStringLiteral("Study: ") + Utf8(study.title));
  for (const std::string& line : study.lines) cursor.Paragraph(Utf8(line), Font(9));
  cursor.Paragraph(QStringLiteral("%1 runs.").arg(study.runs), Font(9), QColor(90, 90, 90));
  cursor.Skip(QFontMetricsF(Font(9), painter.device()).height() * 0.5);
  const QRectF page = cursor.Page();
  const double scale = page.width() / kStudyPlotWidth;
  const double height = kStudyPlotHeight * scale;
  cursor.Need(height);
  painter.save();
  painter.translate(page.left(), cursor.Y());
  painter.scale(scale, scale);
  RenderStudyPlot(painter, QRectF(0, 0, kStudyPlotWidth, kStudyPlotHeight), study.plot);
  painter.restore();
  cursor.Skip(height);
  cursor.Skip(QFontMetricsF(Font(9), painter.device()).height() * 0.5);
  StudyTableRows(cursor, painter, study.table);
}

}  // namespace

Expected<void> WriteReportPdf(const QString& path, const ReportContent& report,
                              const RunResults& results, const StudyReport* study) {
  QPdfWriter writer(path);
  writer.setResolution(kDotsPerInch);
  writer.setTitle(Utf8(report.title));
  writer.setCreator(QStringLiteral("meltsim"));
  writer.setPageLayout(QPageLayout(
      QPageSize(QPageSize::A4), QPageLayout::Portrait,
      QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
      QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&writer)) return CannotWritePdf(path);
  painter.setRenderHint(QPainter::Antialiasing);
  PageCursor cursor(writer, painter);
  cursor.Paragraph(Utf8(report.title), Font(16, true));
  cursor.Paragraph(Utf8(report.made), Font(9), QColor(90, 90, 90));
  cursor.Skip(QFontMetricsF(Font(9), painter.device()).height() * 0.5);
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
  if (study != nullptr) StudyPages(cursor, painter, *study);
  if (!painter.end() || QFileInfo(path).size() <= 0) return CannotWritePdf(path);
  return {};
}

Expected<void> WriteStudyReportPdf(const QString& path, const StudyReport& study,
                                   const QString& made) {
  QPdfWriter writer(path);
  writer.setResolution(kDotsPerInch);
  writer.setTitle(QStringLiteral("Melting study: ") + Utf8(study.title));
  writer.setCreator(QStringLiteral("meltsim"));
  writer.setPageLayout(QPageLayout(
      QPageSize(QPageSize::A4), QPageLayout::Portrait,
      QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
      QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&writer)) return CannotWritePdf(path);
  painter.setRenderHint(QPainter::Antialiasing);
  PageCursor cursor(writer, painter);
  cursor.Paragraph(QStringLiteral("Melting study: ") + Utf8(study.title), Font(16, true));
  cursor.Paragraph(made, Font(9), QColor(90, 90, 90));
  for (const std::string& line : study.lines) cursor.Paragraph(Utf8(line), Font(9));
  cursor.Paragraph(QStringLiteral("%1 runs.").arg(study.runs), Font(9), QColor(90, 90, 90));
  cursor.Skip(QFontMetricsF(Font(9), painter.device()).height() * 0.5);
  const QRectF page = cursor.Page();
  const double scale = page.width() / kStudyPlotWidth;
  painter.save();
  painter.translate(page.left(), cursor.Y());
  painter.scale(scale, scale);
  RenderStudyPlot(painter, QRectF(0, 0, kStudyPlotWidth, kStudyPlotHeight), study.plot);
  painter.restore();
  cursor.Skip(kStudyPlotHeight * scale + QFontMetricsF(Font(9), painter.device()).height() * 0.5);
  StudyTableRows(cursor, painter, study.table);
  if (!painter.end() || QFileInfo(path).size() <= 0) return CannotWritePdf(path);
  return {};
}

}  // namespace meltsim
