// make_ball_png: draws the glass ball that every Orbisette window shows and
// writes it as a 147 x 147 RGBA PNG (8 bits per channel, straight alpha,
// non-interlaced) to the path given on the command line. The saver ships the
// picture as assets/Orbisette.dll and loads it with GdipLoadImageFromFile.
//
// The ball is 120 pixels wide with its box at the top-left of the image, so
// its centre is (60, 60) and its radius 60, which is what the physics assumes.
// The 27-pixel margin to the right and below holds only the soft shadow the
// ball throws on the desktop, with the light it focuses into that shadow;
// everything else, the four corners included, is fully transparent.
//
// Usage: make_ball_png <output.png>
//
// The output is byte-for-byte the same on every run: nothing depends on the
// clock or on a random seed, no tIME chunk is written, and the shading uses
// only +, -, *, / and sqrt (all correctly rounded in IEEE double), never
// pow/exp/sin from the C library, whose last bits differ between versions.
// The compressed stream still depends on the zlib build, so regenerate the
// asset on one machine rather than expecting every distribution to match.

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int KImageSize = 147;
constexpr double KCentre = 60.0;  // ball centre, both axes, in pixels
constexpr double KRadius = 60.0;
constexpr int KSubsamples = 8;  // per axis: 64 samples a pixel for a clean rim

// A colour with premultiplied alpha; the layers are stacked in this form and
// only the finished pixel is turned back into straight alpha.
struct Premul {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  double A = 0.0;
};

struct Rgb {
  double R;
  double G;
  double B;
};

// Porter-Duff "over": lays a straight-alpha colour on top of what is there.
void Over(Premul& dst, Rgb colour, double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  const double keep = 1.0 - alpha;
  dst.R = colour.R * alpha + dst.R * keep;
  dst.G = colour.G * alpha + dst.G * keep;
  dst.B = colour.B * alpha + dst.B * keep;
  dst.A = alpha + dst.A * keep;
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

double Smoothstep(double edge0, double edge1, double x) {
  const double t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

Rgb Mix(Rgb a, Rgb b, double t) { return {Lerp(a.R, b.R, t), Lerp(a.G, b.G, t), Lerp(a.B, b.B, t)}; }

// A soft bump: 1 at d2 = 0, falling smoothly to 0 at d2 = 1 with zero slope
// there, so no layer ever shows a hard edge. d2 is a squared, scaled distance.
double Bump(double d2) {
  if (d2 >= 1.0) {
    return 0.0;
  }
  const double t = 1.0 - d2;
  return t * t * t;
}

// x^n for a small whole n, by repeated squaring.
double Ipow(double x, int n) {
  double result = 1.0;
  while (n > 0) {
    if ((n & 1) != 0) {
      result *= x;
    }
    x *= x;
    n >>= 1;
  }
  return result;
}

// Squared distance of (x, y) from (cx, cy) in an ellipse with half-axes
// (along, across), the "along" axis turned to the unit direction (ux, uy).
double EllipseD2(double x, double y, double cx, double cy, double ux, double uy, double along, double across) {
  const double dx = x - cx;
  const double dy = y - cy;
  const double u = (dx * ux + dy * uy) / along;
  const double v = (-dx * uy + dy * ux) / across;
  return u * u + v * v;
}

// The light comes from the upper left and a little in front of the screen,
// like a window behind the viewer's left shoulder. Unit vector, y pointing down.
constexpr double KLightX = -0.48;
constexpr double KLightY = -0.56;
const double KLightZ = std::sqrt(1.0 - KLightX * KLightX - KLightY * KLightY);

constexpr double KInvSqrt2 = 0.70710678118654752440;

// Everything beneath the glass: the shadow on the desktop and the light the
// ball focuses into it. (x, y) in pixels.
void ShadeGround(Premul& px, double x, double y) {
  // The shadow falls opposite the light, down and to the right, and is
  // stretched a little along that direction because the light is oblique.
  const double sx = KCentre + 16.0;
  const double sy = KCentre + 18.0;
  const double d2 = EllipseD2(x, y, sx, sy, KInvSqrt2, KInvSqrt2, 60.0, 52.0);
  // Glass lets most of the light through, so the ground seen through the
  // ball is barely shaded; the shadow proper shows beyond the rim.
  const double bx = (x - KCentre) / KRadius;
  const double by = (y - KCentre) / KRadius;
  const double throughGlass = 1.0 - 0.88 * Smoothstep(1.0, 0.8, std::sqrt(bx * bx + by * by));
  const double shadow = 0.28 * Smoothstep(1.0, 0.35, d2) * throughGlass;
  Over(px, {0.02, 0.05, 0.09}, shadow);

  // The glass acts as a lens: the light it gathers lands as a faint,
  // cyan-tinted glow in the far part of the shadow.
  const double caustic =
      0.18 * Bump(EllipseD2(x, y, KCentre + 44.0, KCentre + 46.0, -KInvSqrt2, KInvSqrt2, 24.0, 13.0));
  Over(px, {0.82, 0.97, 1.0}, caustic);
}

// The glass itself at a point inside the ball. (nx, ny) is the position in
// units of the radius, measured from the centre; r2 = nx^2 + ny^2 < 1.
void ShadeGlass(Premul& px, double nx, double ny, double r2) {
  const double nz = std::sqrt(1.0 - r2);
  const double r = std::sqrt(r2);
  const double grazing = 1.0 - nz;  // 0 facing the viewer, 1 at the rim

  // Body: almost clear in the middle, where we look straight through the
  // glass, turning darker and more opaque towards the rim, where the surface
  // reflects more (Fresnel) and bends the desktop behind it out of sight.
  const double fresnel = 0.04 + 0.96 * Ipow(grazing, 3);
  const double bodyAlpha = 0.07 + 0.20 * Smoothstep(0.35, 0.95, r) + 0.55 * fresnel;
  const Rgb clearTint{0.84, 0.96, 1.0};
  const Rgb midTint{0.38, 0.68, 0.84};
  const Rgb deepTint{0.03, 0.17, 0.29};
  const Rgb body = Mix(Mix(clearTint, midTint, Smoothstep(0.40, 0.85, r)), deepTint, Smoothstep(0.78, 1.0, r));
  Over(px, body, bodyAlpha);

  // The upper half mirrors the bright room above, seen as a faint lighter
  // sheen that fades out towards the middle.
  const double sky = Clamp01(-ny) * Smoothstep(0.55, 0.92, r) * (1.0 - Smoothstep(0.93, 1.0, r));
  Over(px, {0.85, 0.95, 1.0}, 0.22 * sky);

  // Light that enters at the top left comes out concentrated low in the
  // ball, a little right of centre: a bright crescent hugging the bottom rim.
  const double causticBand = Bump(((r - 0.80) / 0.15) * ((r - 0.80) / 0.15));
  const double towardBottom = Clamp01((nx * 0.34 + ny * 0.94) / std::max(r, 1e-9));
  const double caustic = causticBand * Ipow(towardBottom, 4);
  Over(px, {0.78, 0.97, 1.0}, 0.55 * caustic);

  // A second, weaker window reflection bounced off the back of the ball,
  // soft and low at the lower right.
  const double second = Bump(EllipseD2(nx, ny, 0.62, 0.42, -0.56, 0.83, 0.22, 0.09));
  Over(px, {0.93, 0.98, 1.0}, 0.42 * second);

  // The window light itself: a broad soft glow, then a crisp near-white
  // highlight up and left of centre, where the light's reflection falls.
  const double nDotL = nx * KLightX + ny * KLightY + nz * KLightZ;
  const double halfwayX = KLightX;
  const double halfwayY = KLightY;
  const double halfwayZ = KLightZ + 1.0;
  const double halfwayLen = std::sqrt(halfwayX * halfwayX + halfwayY * halfwayY + halfwayZ * halfwayZ);
  const double nDotH = (nx * halfwayX + ny * halfwayY + nz * halfwayZ) / halfwayLen;
  const double glow = Ipow(Clamp01(nDotH), 24);
  Over(px, {0.92, 0.98, 1.0}, 0.38 * glow * Clamp01(nDotL * 2.0));

  const double spot = Bump(EllipseD2(nx, ny, -0.40, -0.45, KInvSqrt2, -KInvSqrt2, 0.28, 0.16));
  Over(px, {1.0, 1.0, 1.0}, 0.96 * Smoothstep(0.0, 0.5, spot));
  // A smaller glint of the window's second pane beside it.
  const double glint = Bump(EllipseD2(nx, ny, -0.16, -0.66, KInvSqrt2, -KInvSqrt2, 0.09, 0.05));
  Over(px, {1.0, 1.0, 1.0}, 0.75 * Smoothstep(0.0, 0.6, glint));

  // The rim catches the light as a thin bright line, strongest on the side
  // facing the window and never quite gone on the far side.
  const double edge = Smoothstep(0.955, 0.99, r) * (1.0 - Smoothstep(0.992, 1.0, r));
  const double facing = Clamp01((-nx * 0.65 - ny * 0.76) / std::max(r, 1e-9));
  Over(px, {0.90, 0.97, 1.0}, edge * (0.30 + 0.55 * facing));
}

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0)); }

// Renders the whole picture as straight-alpha RGBA, row after row.
std::vector<std::uint8_t> Render() {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(KImageSize) * KImageSize * 4);
  constexpr double KStep = 1.0 / KSubsamples;
  for (int py = 0; py < KImageSize; ++py) {
    for (int px = 0; px < KImageSize; ++px) {
      Premul sum;
      for (int sy = 0; sy < KSubsamples; ++sy) {
        for (int sx = 0; sx < KSubsamples; ++sx) {
          // Pixel (i, j) covers [i, i+1) x [j, j+1); the ball's box is
          // [0, 120) so its centre is the point (60, 60).
          const double x = px + (sx + 0.5) * KStep;
          const double y = py + (sy + 0.5) * KStep;
          Premul sample;
          ShadeGround(sample, x, y);
          const double nx = (x - KCentre) / KRadius;
          const double ny = (y - KCentre) / KRadius;
          const double r2 = nx * nx + ny * ny;
          if (r2 < 1.0) {
            ShadeGlass(sample, nx, ny, r2);
          }
          sum.R += sample.R;
          sum.G += sample.G;
          sum.B += sample.B;
          sum.A += sample.A;
        }
      }
      constexpr double KSamples = KSubsamples * KSubsamples;
      const double alpha = sum.A / KSamples;
      const std::uint8_t a8 = ToByte(alpha);
      std::uint8_t* out = &pixels[(static_cast<std::size_t>(py) * KImageSize + px) * 4];
      if (a8 == 0) {
        out[0] = out[1] = out[2] = out[3] = 0;  // transparent is black, not stray colour
        continue;
      }
      // PNG stores straight alpha: divide the premultiplied sum back out.
      out[0] = ToByte(sum.R / sum.A);
      out[1] = ToByte(sum.G / sum.A);
      out[2] = ToByte(sum.B / sum.A);
      out[3] = a8;
    }
  }
  return pixels;
}

// libpng reports errors by longjmp, so this function keeps nothing with a
// destructor alive across the setjmp and cleans up by hand.
bool WritePng(const char* path, const std::uint8_t* pixels) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: libpng could not start\n", path);
    return false;
  }
  std::array<png_bytep, KImageSize> rows{};
  for (int y = 0; y < KImageSize; ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels + static_cast<std::size_t>(y) * KImageSize * 4);
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: libpng failed to write the image\n", path);
    return false;
  }
  png_init_io(png, file);
  // Fixed settings rather than library defaults, so a libpng upgrade does
  // not quietly change the file. No gAMA, sRGB or iCCP chunk either: GDI+
  // would colour-correct the pixels on load and the glass would shift hue.
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, KImageSize, KImageSize, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.png>\n", argc > 0 ? argv[0] : "make_ball_png");
    return 2;
  }
  const std::vector<std::uint8_t> pixels = Render();
  return WritePng(argv[1], pixels.data()) ? 0 : 1;
}
