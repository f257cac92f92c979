#include "sites/image_resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace quillora {

namespace {

double Sinc(double x) {
  if (x == 0) return 1;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

double Lanczos(double x, int support) {
  if (x <= -support || x >= support) return 0;
  return Sinc(x) * Sinc(x / support);
}

// For each destination position along one axis: the first source position it reads and the
// normalised weights of the source positions from there on.
struct TContributions {
  std::vector<int> first;
  std::vector<std::vector<float>> weights;
};

TContributions Contributions(int source_size, int target_size, int support) {
  TContributions c;
  c.first.resize(static_cast<size_t>(target_size));
  c.weights.resize(static_cast<size_t>(target_size));
  const double scale = static_cast<double>(target_size) / source_size;
  // Shrinking widens the filter so that every source pixel contributes (no aliasing).
  const double stretch = scale < 1 ? 1 / scale : 1;
  const double radius = support * stretch;
  for (int i = 0; i < target_size; ++i) {
    const double centre = (i + 0.5) / scale;
    const int lo = std::max(0, static_cast<int>(std::floor(centre - radius)));
    const int hi = std::min(source_size - 1, static_cast<int>(std::ceil(centre + radius)));
    std::vector<float>& w = c.weights[static_cast<size_t>(i)];
    double sum = 0;
    std::vector<double> raw;
    for (int j = lo; j <= hi; ++j) {
      const double v = Lanczos((j + 0.5 - centre) / stretch, support);
      raw.push_back(v);
      sum += v;
    }
    c.first[static_cast<size_t>(i)] = lo;
    for (double v : raw) w.push_back(static_cast<float>(sum != 0 ? v / sum : 0));
  }
  return c;
}

uint8_t Clamp(float v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

TImage24 ResampleLanczos(const TImage24& source, int width, int height, int support) {
  if (source.Empty() || width < 1 || height < 1 || support < 1) return {};
  const TContributions across = Contributions(source.width, width, support);
  const TContributions down = Contributions(source.height, height, support);

  // Horizontal pass into floating point, so the second pass does not round twice.
  std::vector<float> middle(static_cast<size_t>(width) * source.height * 3);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < width; ++x) {
      float r = 0, g = 0, b = 0;
      const auto& w = across.weights[static_cast<size_t>(x)];
      const uint8_t* p = source.Pixel(across.first[static_cast<size_t>(x)], y);
      for (float k : w) {
        r += k * p[0];
        g += k * p[1];
        b += k * p[2];
        p += 3;
      }
      float* m = &middle[(static_cast<size_t>(y) * width + x) * 3];
      m[0] = r;
      m[1] = g;
      m[2] = b;
    }
  }
  TImage24 result(width, height);
  for (int y = 0; y < height; ++y) {
    const auto& w = down.weights[static_cast<size_t>(y)];
    const int first = down.first[static_cast<size_t>(y)];
    for (int x = 0; x < width; ++x) {
      float r = 0, g = 0, b = 0;
      for (size_t k = 0; k < w.size(); ++k) {
        const float* m = &middle[((first + k) * static_cast<size_t>(width) + x) * 3];
        r += w[k] * m[0];
        g += w[k] * m[1];
        b += w[k] * m[2];
      }
      uint8_t* out = result.Pixel(x, y);
      out[0] = Clamp(r);
      out[1] = Clamp(g);
      out[2] = Clamp(b);
    }
  }
  return result;
}

}  // namespace quillora
