// Comparison only: the noise scene drawn by the comparison plot library into a QImage of the
// chart's size. Only this folder of the benchmarks may include Qt (see scripts/check_layers.sh).
#include "qcp_scene.h"

#include <QImage>
#include <qcustomplot.h>

namespace qcp_scene {

struct Plot {
  QCustomPlot plot;
  QImage image;
};

Plot* Create(const double* X, const double* Y, int Count, int Width, int Height, double LowY,
             double HighY, bool AdaptiveSampling) {
  auto* p = new Plot;
  p->image = QImage(Width, Height, QImage::Format_RGB32);
  p->plot.resize(Width, Height);
  p->plot.setNotAntialiasedElements(QCP::aeAll);
  p->plot.setPlottingHints(QCP::phFastPolylines);
  QCPGraph* g = p->plot.addGraph();
  g->setAdaptiveSampling(AdaptiveSampling);
  QVector<double> xs(X, X + Count), ys(Y, Y + Count);
  g->setData(xs, ys, true);
  g->setLineStyle(QCPGraph::lsLine);
  g->setPen(QPen(QColor(0x80, 0, 0)));
  g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, 3));
  p->plot.xAxis->setRange(X[0], X[Count - 1]);
  p->plot.yAxis->setRange(LowY, HighY);
  p->plot.xAxis->grid()->setVisible(false);
  p->plot.yAxis->grid()->setPen(QPen(QColor(0x80, 0x80, 0), 1, Qt::DotLine));
  return p;
}

void Paint(Plot* P) {
  QCPPainter painter(&P->image);
  P->plot.toPainter(&painter, P->image.width(), P->image.height());
}

void Pan(Plot* P, double LowX, double HighX) {
  P->plot.xAxis->setRange(LowX, HighX);
  Paint(P);
}

void Destroy(Plot* P) { delete P; }

bool SavePng(Plot* P, const char* FileName) { return P->image.save(FileName, "PNG"); }

}  // namespace qcp_scene
