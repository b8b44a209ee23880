// Commission schedules and the linear solver of the trend fit.
#include <cmath>
#include <utility>

#include "core/core.h"
#include "indicators/indicators.h"

namespace {

double schedule_s(double p, double n) {
  double v = p * n;
  if (p < 1) return 25 + 0.025 * v;
  double base;
  if (n <= 100) base = 35;
  else if (n <= 300) base = p > 10 ? 35 + 0.05 * (n - 100) : 35;
  else if (n <= 1000) base = p > 10 ? 35 + 0.05 * (n - 100) : 35 + 0.05 * (n - 300);
  else base = (p > 10 ? 35 + 0.05 * 900 : 35 + 0.05 * 700) + 0.04 * (n - 1000);
  return 0.9 * base;
}

double schedule_g(double p, double n) {
  double c = 25 + 0.005 * p * n;
  return 0.125 * n > c ? 0.125 * n : c;
}

double schedule_c(double p, double n) {
  double v = p * n;
  if (p < 1) return 39 + 0.04 * v;
  double c;
  if (v <= 2500) c = 30 + 0.017 * v;
  else if (v <= 6000) c = 56 + 0.0066 * v;
  else if (v <= 22000) c = 76 + 0.0034 * v;
  else if (v <= 50000) c = 100 + 0.0022 * v;
  else if (v <= 500000) c = 155 + 0.0011 * v;
  else c = 255 + 0.0009 * v;
  if (c < 39) return 39;
  double cap = n <= 100 ? 55 : 55 + 0.55 * (n - 100);
  return c > cap ? cap : c;
}

}  // namespace

float getcomission(char broker, float p, int n) {
  Trace t("getcomission", "broker=%c p=%f n=%d", broker, p, n);
  switch (broker) {
    case 's': return static_cast<float>(schedule_s(p, n));
    case 'g': return static_cast<float>(schedule_g(p, n));
    case 'c': return static_cast<float>(schedule_c(p, n));
    default: return 0;
  }
}

int gauss(const float a_in[3][3], const float b_in[3], float x[3], int m) {
  Trace t("gauss", "m=%d", m);
  if (m < 1 || m > 2) return 1;
  float a[3][3], b[3];
  for (int i = 0; i < 3; ++i) {
    b[i] = b_in[i];
    for (int j = 0; j < 3; ++j) a[i][j] = a_in[i][j];
  }
  for (int k = 1; k < m; ++k) {
    int pivot = k;
    for (int i = k + 1; i <= m; ++i)
      if (std::fabs(a[i][k]) > std::fabs(a[pivot][k])) pivot = i;
    if (a[pivot][k] == 0) return 1;
    for (int j = 1; j <= m; ++j) std::swap(a[k][j], a[pivot][j]);
    std::swap(b[k], b[pivot]);
    for (int i = k + 1; i <= m; ++i) {
      double f = static_cast<double>(a[i][k]) / a[k][k];
      for (int j = k + 1; j <= m; ++j) a[i][j] = static_cast<float>(a[i][j] - f * a[k][j]);
      b[i] = static_cast<float>(b[i] - f * b[k]);
    }
  }
  if (a[m][m] == 0) return 1;
  float sol[3];
  sol[m] = static_cast<float>(static_cast<double>(b[m]) / a[m][m]);
  for (int i = m - 1; i >= 1; --i) {
    double sum = b[i];
    for (int j = i + 1; j <= m; ++j) sum -= static_cast<double>(a[i][j]) * sol[j];
    sol[i] = static_cast<float>(sum / a[i][i]);
  }
  for (int i = 1; i <= m; ++i) x[i] = sol[i];
  return 0;
}
