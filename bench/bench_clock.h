// What every benchmark measures with: the performance counter in microseconds and the
// median of a run of samples.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

namespace board::bench {

inline double NowUs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1e6 / frequency;
}

// Raw counter readings, for spans measured across threads.
inline LONGLONG NowTicks() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}
inline double TicksToUs(LONGLONG ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
  }();
  return double(ticks) * 1e6 / frequency;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace board::bench
