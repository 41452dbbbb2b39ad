// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/fft.h"

#include <fftw3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace mirelune::fft {
namespace {

std::mutex& PlannerMutex() {
  static std::mutex m;
  return m;
}

struct FftwFree {
  void operator()(void* p) const { fftw_free(p); }
};
template <typename T>
using Buffer = std::unique_ptr<T[], FftwFree>;

template <typename T>
Buffer<T> Allocate(size_t count) {
  T* p = static_cast<T*>(fftw_malloc(sizeof(T) * std::max<size_t>(count, 1)));
  if (!p) throw std::bad_alloc();
  return Buffer<T>(p);
}

// A plan made and destroyed under the planner's lock.
class Plan {
 public:
  template <typename Make>
  explicit Plan(Make make) {
    std::lock_guard<std::mutex> lock(PlannerMutex());
    plan_ = make();
  }
  ~Plan() {
    std::lock_guard<std::mutex> lock(PlannerMutex());
    if (plan_) fftw_destroy_plan(plan_);
  }
  Plan(const Plan&) = delete;
  Plan& operator=(const Plan&) = delete;
  void Execute() const { fftw_execute(plan_); }

 private:
  fftw_plan plan_ = nullptr;
};

}  // namespace

size_t GoodSize(size_t atLeast) {
  for (size_t n = std::max<size_t>(atLeast, 1);; ++n) {
    size_t m = n;
    for (size_t p : {2u, 3u, 5u})
      while (m % p == 0) m /= p;
    if (m == 1) return n;
  }
}

std::vector<std::complex<double>> Forward(const std::vector<double>& x, size_t n) {
  Buffer<double> in = Allocate<double>(n);
  Buffer<fftw_complex> out = Allocate<fftw_complex>(n / 2 + 1);
  const Plan plan([&] { return fftw_plan_dft_r2c_1d(static_cast<int>(n), in.get(), out.get(), FFTW_ESTIMATE); });
  const size_t copy = std::min(n, x.size());
  std::copy(x.begin(), x.begin() + static_cast<long>(copy), in.get());
  std::fill(in.get() + copy, in.get() + n, 0.0);
  plan.Execute();
  std::vector<std::complex<double>> X(n / 2 + 1);
  for (size_t k = 0; k < X.size(); ++k) X[k] = {out[k][0], out[k][1]};
  return X;
}

std::vector<double> Inverse(const std::vector<std::complex<double>>& X, size_t n) {
  Buffer<fftw_complex> in = Allocate<fftw_complex>(n / 2 + 1);
  Buffer<double> out = Allocate<double>(n);
  const Plan plan([&] { return fftw_plan_dft_c2r_1d(static_cast<int>(n), in.get(), out.get(), FFTW_ESTIMATE); });
  // The plan may have used the input as scratch: it is filled after planning.
  for (size_t k = 0; k < n / 2 + 1; ++k) {
    const std::complex<double> v = k < X.size() ? X[k] : std::complex<double>();
    in[k][0] = v.real();
    in[k][1] = v.imag();
  }
  plan.Execute();
  std::vector<double> x(out.get(), out.get() + n);
  const double scale = 1.0 / static_cast<double>(n);
  for (double& v : x) v *= scale;
  return x;
}

}  // namespace mirelune::fft
